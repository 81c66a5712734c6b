#pragma once
// Blend modes and the exact arithmetic every drawing routine uses.
//
// mode = low byte (operation) | RASTER_MODE_FILTERED | RASTER_MODE_SOURCE_ALPHA
//   low byte 0 copy, 1 add, 2 colour dodge (any other value draws as copy).
//
// Opacity: o = round(alpha x 255), alpha clamped to 0..1 (NaN counts as 0).
// Weight of a source pixel S over a destination pixel D:
//   w = o                         without RASTER_MODE_SOURCE_ALPHA,
//   w = div255(o x Sa)            with it (Sa: the source's alpha).
// div255(x) = (x + 128 + ((x + 128) >> 8)) >> 8, which is x / 255 rounded to
// nearest for 0 <= x <= 65025.
//
// Colour channels c (R, G, B):
//   copy   c' = div255(Dc x (255 - w) + Sc x w)
//   add    c' = min(255, Dc + div255(Sc x w))
//   dodge  t  = Sc == 255 ? (Dc == 0 ? 0 : 255) : min(255, Dc x 255 / (255 - Sc))  (floor)
//          c' = div255(Dc x (255 - w) + t x w)
// Alpha:
//   plain copy (mode 0, no source alpha): A' = div255(Da x (255 - w) + Sa x w),
//   so a copy at opacity 1 is an exact copy of the source word;
//   every other mode: A' = div255(Da x (255 - w) + 255 x w), the union of coverage.
// A weight of 0 leaves the destination word unchanged.
//
// Shapes and text draw a single colour C: the colour is the source pixel, and with
// RASTER_MODE_SOURCE_ALPHA its own alpha takes Sa's place in the weight.
//
// Filtered scaling (RASTER_MODE_FILTERED) samples at pixel centres and mixes the
// four neighbours bilinearly in premultiplied form, with fractions of 1/128:
//   weights w00..w11 (sum 16384), Asum = sum(w x a), Csum = sum(w x a x c)
//   A = (Asum + 8192) >> 14;  c = Asum ? (Csum + Asum / 2) / Asum : 0
// so transparent neighbours lend no colour (no dark fringes). Samples beyond the
// source area repeat its edge pixels (scaling) or count as transparent (rotation).

enum : int {
  RASTER_MODE_COPY = 0,
  RASTER_MODE_ADD = 1,
  RASTER_MODE_DODGE = 2,
  RASTER_MODE_FILTERED = 0x100,
  RASTER_MODE_SOURCE_ALPHA = 0x10000,
};

// The pixel word of a colour, every channel masked to 8 bits.
inline constexpr unsigned int Raster_Pixel(unsigned int a, unsigned int r, unsigned int g, unsigned int b) {
  return (a & 0xFFu) | (r & 0xFFu) << 8 | (g & 0xFFu) << 16 | (b & 0xFFu) << 24;
}
inline constexpr unsigned int Raster_Alpha(unsigned int pixel) { return pixel & 0xFFu; }
inline constexpr unsigned int Raster_Red(unsigned int pixel) { return (pixel >> 8) & 0xFFu; }
inline constexpr unsigned int Raster_Green(unsigned int pixel) { return (pixel >> 16) & 0xFFu; }
inline constexpr unsigned int Raster_Blue(unsigned int pixel) { return pixel >> 24; }
