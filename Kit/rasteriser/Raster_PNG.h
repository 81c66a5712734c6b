#pragma once
// PNG decoding into 32-bit bitmaps (libpng).
//
// Every colour type and bit depth (grey, grey + alpha, palette with or without
// transparency, RGB, RGBA; 1 to 16 bits; interlaced or not) becomes
// A | R << 8 | G << 16 | B << 24 with straight alpha; 16-bit samples are scaled to
// 8 bits with rounding; images without alpha (and no transparency chunk) are opaque.
// Images wider or taller than kRasterPNGMaxSide, or above kRasterPNGMaxPixels,
// are refused.
//
// threads: any (no shared state).

#include <cstddef>
#include <vector>

#include "rasteriser/Raster_Bitmap.h"

constexpr int kRasterPNGMaxSide = 16384;
constexpr long kRasterPNGMaxPixels = 64L * 1024 * 1024;

// Decodes the file at path. With bitmap null the result is a new Raster_MemBitmap
// the caller owns; otherwise bitmap is resized, filled and returned. Null on any
// failure (missing file, not a PNG, truncated or corrupt data, too large); libpng's
// errors never leave this function.
Raster_IBitmap* Raster_LoadPNG(const char* path, Raster_IBitmap* bitmap);
// The same from bytes in memory.
Raster_IBitmap* Raster_LoadPNGFromMemory(const void* data, size_t size, Raster_IBitmap* bitmap);

// Encodes the bitmap as an 8-bit RGBA PNG with straight alpha. The bytes depend
// only on the pixels: fixed compression and filter, no time or text chunks. False
// for a bitmap without pixels or when encoding fails.
bool Raster_SavePNGToMemory(Raster_IBitmap* bitmap, std::vector<unsigned char>* out);
// The same written to path (replaced when it exists); false when it cannot be written.
bool Raster_SavePNG(const char* path, Raster_IBitmap* bitmap);
