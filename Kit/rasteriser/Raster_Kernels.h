#pragma once
// Internal: pixel access, blend specs and the per-row blend kernels every routine
// shares. The arithmetic is the one Raster_Blend.h writes down.

#include <algorithm>
#include <cstdint>

#include "rasteriser/Raster_Bitmap.h"
#include "rasteriser/Raster_Blend.h"
#include "winemu/WinEmu_PixelMix.h"

// The pixels of a bitmap, or an empty view for a null or inconsistent one.
struct Raster_Pixels {
  uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;
  long span = 0;

  uint32_t* row(int y) const { return bits + span * y; }
  bool empty() const { return width <= 0 || height <= 0; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};
Raster_Pixels Raster_PixelsOf(Raster_IBitmap* bitmap);

// Exact products of 32-bit coordinates: edge crossings and line steps need up to 66 bits.
__extension__ typedef __int128 Raster_Wide;
// a / b rounded down, for b > 0 and a quotient that fits 64 bits.
inline int64_t Raster_FloorDiv(Raster_Wide a, Raster_Wide b) {
  const Raster_Wide q = a / b;
  return static_cast<int64_t>((a % b != 0 && a < 0) ? q - 1 : q);
}

enum Raster_Op : int { kRasterCopy = 0, kRasterAdd = 1, kRasterDodge = 2 };

struct Raster_BlendSpec {
  int op;            // Raster_Op
  bool sourceAlpha;  // weight by the source's (or colour's) alpha
  uint32_t opacity;  // 0..255
  // Plain copy keeps the source's alpha byte; every other mode unites coverage.
  bool plainCopy() const { return op == kRasterCopy && !sourceAlpha; }
};
Raster_BlendSpec Raster_ParseBlend(float alpha, int mode);

// Opacity 0..255 of a float 0..1; NaN and below 0 give 0.
inline uint32_t Raster_Opacity(float alpha) {
  if (!(alpha > 0.0f)) return 0;
  if (alpha >= 1.0f) return 255;
  return static_cast<uint32_t>(alpha * 255.0f + 0.5f);
}

inline uint32_t Raster_Div255(uint32_t x) { return WinEmu_Div255(x); }

// Combines a prepared source word s (its alpha byte already 255 unless plain copy)
// into d with weight w (1..255).
template <int Op>
inline uint32_t Raster_Combine(uint32_t d, uint32_t s, uint32_t w) {
  const uint32_t mixed = WinEmu_MixPixel(d, s, w);
  if (Op == kRasterCopy) return mixed;
  uint32_t out = mixed & 0xFFu;  // alpha: union of coverage
  for (int shift = 8; shift < 32; shift += 8) {
    const uint32_t dc = (d >> shift) & 0xFFu, sc = (s >> shift) & 0xFFu;
    uint32_t c;
    if (Op == kRasterAdd) {
      c = std::min<uint32_t>(255, dc + Raster_Div255(sc * w));
    } else {
      uint32_t t;
      if (sc == 255)
        t = dc ? 255 : 0;
      else
        t = std::min<uint32_t>(255, dc * 255 / (255 - sc));
      c = Raster_Div255(dc * (255 - w) + t * w);
    }
    out |= c << shift;
  }
  return out;
}

// Blends n source pixels onto n destination pixels.
void Raster_BlendRow(const Raster_BlendSpec& rule, uint32_t* d, const uint32_t* s, int n);

// Eight-pixel (AVX2) forms of the two copy rows, where the processor has AVX2: they
// do whole groups of eight and return how many pixels they did (0 without AVX2).
int Raster_CopySourceAlphaRowWide(uint32_t* d, const uint32_t* s, int n, uint32_t o);
int Raster_CopyOpacityRowWide(uint32_t* d, const uint32_t* s, int n, uint32_t o);
// Test seam: false makes the wide forms do nothing, so the four-pixel path runs.
// threads: any.
void Raster_AllowWideVectors(bool allow);
// True where the processor has AVX2 and the seam allows it. threads: any.
bool Raster_WideVectorsEnabled();
// Marks a function compiled for AVX2; call it only when Raster_WideVectorsEnabled().
#if defined(__x86_64__) && defined(__GNUC__)
#define RASTER_WIDE __attribute__((target("avx2")))
#define RASTER_HAS_WIDE 1
#endif

// One colour over a run of pixels.
struct Raster_ColorBlend {
  int op;
  uint32_t source;  // prepared source word
  uint32_t weight;  // 0..255
};
Raster_ColorBlend Raster_PrepareColor(const Raster_BlendSpec& rule, uint32_t color);
void Raster_BlendColorRow(const Raster_ColorBlend& blend, uint32_t* d, int n);
// One pixel with partial coverage 0..255 (antialiased edges).
void Raster_BlendColorPixel(const Raster_ColorBlend& blend, uint32_t* d, uint32_t coverage);

// A rect clipped to 0..width x 0..height; false when nothing is left. Works in 64
// bits so huge coordinates and sizes cannot overflow.
struct Raster_Span {
  int x0, y0, x1, y1;  // half-open
};
bool Raster_ClipRect(long x, long y, long w, long h, int width, int height, Raster_Span* out);
