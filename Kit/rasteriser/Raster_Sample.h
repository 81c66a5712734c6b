#pragma once
// Internal: bilinear mixing of four source pixels in premultiplied form, and the
// 16.16 fixed-point coordinates the scaled and rotated blits step with.

#include <algorithm>
#include <cmath>
#include <cstdint>

// Fractions are 7-bit (0..128 = 0..1) so every sum fits 32 bits unsigned.
constexpr int kRasterFracBits = 7;
constexpr uint32_t kRasterFracOne = 1u << kRasterFracBits;

// 16.16 fixed point of a coordinate, clamped far outside any bitmap so later
// arithmetic cannot overflow.
inline int64_t Raster_ToFixed(double v) {
  if (!(v > -1e9)) return static_cast<int64_t>(-1e9 * 65536.0);
  if (v > 1e9) return static_cast<int64_t>(1e9 * 65536.0);
  return static_cast<int64_t>(std::floor(v * 65536.0 + 0.5));
}
// A whole pixel position (already floored or ceiled), held far outside any bitmap
// so that huge source rects convert without overflow.
inline int64_t Raster_WholePixel(double v) {
  if (!(v > -1e12)) return static_cast<int64_t>(-1e12);
  return static_cast<int64_t>(std::min(v, 1e12));
}
inline int64_t Raster_FixedFloor(int64_t fixed) { return fixed >> 16; }  // arithmetic shift
inline uint32_t Raster_FixedFrac(int64_t fixed) {
  return static_cast<uint32_t>((fixed >> (16 - kRasterFracBits)) & (kRasterFracOne - 1));
}

// p00 p01 (top row), p10 p11 (bottom row); fx, fy in 0..127 toward p01 and p10.
inline uint32_t Raster_Bilinear(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, uint32_t fx, uint32_t fy) {
  const uint32_t w00 = (kRasterFracOne - fx) * (kRasterFracOne - fy);
  const uint32_t w01 = fx * (kRasterFracOne - fy);
  const uint32_t w10 = (kRasterFracOne - fx) * fy;
  const uint32_t w11 = fx * fy;
  constexpr int shift = 2 * kRasterFracBits;
  constexpr uint32_t half = 1u << (shift - 1);
  const uint32_t a00 = p00 & 0xFFu, a01 = p01 & 0xFFu, a10 = p10 & 0xFFu, a11 = p11 & 0xFFu;
  if (a00 == a01 && a00 == a10 && a00 == a11) {
    // Equal alphas cancel out of the premultiplied mix: a plain mix is exact.
    if (a00 == 0) return 0;
    uint32_t out = a00;
    for (int s = 8; s < 32; s += 8) {
      const uint32_t c = (((p00 >> s) & 0xFFu) * w00 + ((p01 >> s) & 0xFFu) * w01 + ((p10 >> s) & 0xFFu) * w10 +
                          ((p11 >> s) & 0xFFu) * w11 + half) >>
                         shift;
      out |= c << s;
    }
    return out;
  }
  const uint32_t m00 = w00 * a00, m01 = w01 * a01, m10 = w10 * a10, m11 = w11 * a11;
  const uint32_t asum = m00 + m01 + m10 + m11;
  if (asum == 0) return 0;
  uint32_t out = (asum + half) >> shift;
  // (csum + asum / 2) / asum through one reciprocal: the product is within one of the
  // quotient (which is at most 255), and the integer checks make it exact.
  const double inverse = 1.0 / asum;
  for (int s = 8; s < 32; s += 8) {
    const uint32_t csum = ((p00 >> s) & 0xFFu) * m00 + ((p01 >> s) & 0xFFu) * m01 + ((p10 >> s) & 0xFFu) * m10 +
                          ((p11 >> s) & 0xFFu) * m11;
    const uint32_t n = csum + asum / 2;
    uint32_t q = static_cast<uint32_t>(n * inverse);
    if (q * asum > n)
      --q;
    else if ((q + 1) * asum <= n)
      ++q;
    out |= q << s;
  }
  return out;
}
