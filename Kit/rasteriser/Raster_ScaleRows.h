#pragma once
// Internal: the rows of a filtered scale. A destination row comes from two source
// rows in two steps. First the rows are mixed vertically, column by column: into
// 16-bit sums where every pixel of both rows shares one alpha (the plain mix, exact
// then, as equal alphas cancel out of the premultiplied one), else into 32-bit
// premultiplied sums. Then each destination pixel mixes two neighbouring columns.
//
// The AVX2 forms (Raster_ScaledBlitWide.cpp) do whole groups of eight and return how
// many they did, 0 without AVX2; the plain forms in Raster_ScaledBlit.cpp finish.

#include <cstdint>

#include "rasteriser/Raster_Sample.h"

// Vertical weights are 128 - fy and fy, horizontal ones 128 - fx and fx: a result
// is its weighted sum over 2^14, rounded.
constexpr int kRasterMixShift = 2 * kRasterFracBits;
constexpr uint32_t kRasterMixHalf = 1u << (kRasterMixShift - 1);

// Destination columns: `left[i]` is where the left source column of pixel i starts
// in a mix (4 x the column, counted from the first column the mixes cover); the
// right one is always the next column (a tap clamped onto one column has fx 0).
// `weights[i]` = (128 - fx) | fx << 16.
//
// Plain mix: 4 uint16 per column, byte k of top x (128 - fy) + byte k of bottom x fy.
// Premultiplied mix: 4 int32 per column, alpha mix first, then each colour byte times
// its pixel's alpha, mixed. Both are read one column past the last one mixed, which
// the caller keeps (with weight 0 it never counts).

// The first pixels of p, in groups of eight, whose alpha is `alpha`.
int Raster_ScaleAlphaRunWide(const uint32_t* p, int n, uint32_t alpha);
int Raster_ScaleMixPlainWide(const uint32_t* top, const uint32_t* bottom, int n, uint32_t fy, uint16_t* out);
int Raster_ScaleRowPlainWide(const uint16_t* mix, const int32_t* left, const uint32_t* weights, int n, uint32_t* out);
int Raster_ScaleMixPremultipliedWide(const uint32_t* top, const uint32_t* bottom, int n, uint32_t fy, int32_t* out);
// Straight pixels from premultiplied sums: colour = (sum + alpha sum / 2) / alpha sum.
int Raster_ScaleRowPremultipliedWide(const int32_t* mix, const int32_t* left, const uint32_t* weights, int n,
                                     uint32_t* out);
