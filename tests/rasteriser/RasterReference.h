#pragma once
// Plain, per-channel reference implementations of the rasteriser's arithmetic and
// blits, written straight from the documented formulas, for checking the fast paths.

#include <cstdint>
#include <random>
#include <vector>

#include "rasteriser/Raster.h"

// A bitmap in a plain vector, independent of the rasteriser's own classes.
struct RefImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

uint32_t RefOpacity(float alpha);
// One pixel blended by the documented formulas.
uint32_t RefBlend(uint32_t dst, uint32_t src, float alpha, int mode);
// Same with a single colour: with the source-alpha bit its alpha weights the opacity.
uint32_t RefBlendColor(uint32_t dst, uint32_t color, float alpha, int mode);

void RefBlit(RefImage* dest, const RefImage& src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
             float alpha, int mode);
// Bilinear premultiplied mix with 7-bit fractions, from its definition.
uint32_t RefBilinear(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, int fx, int fy);

// Copies between a RefImage and a rasteriser bitmap.
RefImage RefFromBitmap(Raster_IBitmap* bitmap);
void RefToBitmap(const RefImage& image, Raster_IBitmap* bitmap);

// Random pixels; about a third fully opaque and a third fully transparent, as panel
// images are.
RefImage RandomImage(std::mt19937& rng, int width, int height);
