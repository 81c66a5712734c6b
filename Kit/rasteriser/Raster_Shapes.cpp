#include "rasteriser/Raster_Shapes.h"

#include <cstdlib>

#include "rasteriser/Raster_Kernels.h"

namespace {

// Steps 0..n of a line along its major axis that keep the major coordinate
// (start + sign * i) within 0..limit-1.
bool MajorRange(int64_t start, int sign, int64_t n, int limit, int64_t* i0, int64_t* i1) {
  int64_t lo, hi;
  if (sign > 0) {
    lo = -start;
    hi = limit - 1 - start;
  } else {
    lo = start - (limit - 1);
    hi = start;
  }
  *i0 = std::max<int64_t>(lo, 0);
  *i1 = std::min<int64_t>(hi, n);
  return *i0 <= *i1;
}

}  // namespace

void Raster_PutPixel(Raster_IBitmap* dest, int x, int y, unsigned int color, float alpha, int mode) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  if (!d.contains(x, y)) return;
  Raster_BlendColorRow(Raster_PrepareColor(Raster_ParseBlend(alpha, mode), color), d.row(y) + x, 1);
}

unsigned int Raster_GetPixel(Raster_IBitmap* bm, int x, int y) {
  const Raster_Pixels p = Raster_PixelsOf(bm);
  return p.contains(x, y) ? p.row(y)[x] : 0;
}

void Raster_FillRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha, int mode) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  Raster_Span r;
  if (d.empty() || !Raster_ClipRect(x, y, w, h, d.width, d.height, &r)) return;
  const Raster_ColorBlend blend = Raster_PrepareColor(Raster_ParseBlend(alpha, mode), color);
  for (int row = r.y0; row < r.y1; ++row) Raster_BlendColorRow(blend, d.row(row) + r.x0, r.x1 - r.x0);
}

void Raster_Line(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha, int mode,
                 bool antiAlias) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  if (d.empty()) return;
  const Raster_ColorBlend blend = Raster_PrepareColor(Raster_ParseBlend(alpha, mode), color);
  if (blend.weight == 0) return;

  // Walk the major axis (clipped to the bitmap, so the work stays bounded) and find
  // the minor coordinate of each step exactly.
  const int64_t dx = static_cast<int64_t>(x2) - x1, dy = static_cast<int64_t>(y2) - y1;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t major0 = xMajor ? x1 : y1, minor0 = xMajor ? y1 : x1;
  const int64_t dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
  const int64_t n = std::llabs(dMajor);
  const int sign = dMajor < 0 ? -1 : 1;
  const int majorLimit = xMajor ? d.width : d.height, minorLimit = xMajor ? d.height : d.width;
  int64_t i0, i1;
  if (!MajorRange(major0, sign, n, majorLimit, &i0, &i1)) return;

  auto plot = [&](int64_t major, int64_t minor, uint32_t coverage) {
    if (minor < 0 || minor >= minorLimit) return;
    const int x = static_cast<int>(xMajor ? major : minor), y = static_cast<int>(xMajor ? minor : major);
    Raster_BlendColorPixel(blend, d.row(y) + x, coverage);
  };
  for (int64_t i = i0; i <= i1; ++i) {
    const int64_t major = major0 + sign * i;
    if (n == 0) {
      plot(major, minor0, 255);
      continue;
    }
    if (antiAlias) {
      // Coverage split between the two pixels around the exact minor coordinate.
      const Raster_Wide num = static_cast<Raster_Wide>(i) * dMinor;
      const int64_t q = Raster_FloorDiv(num, n);
      const int64_t frac = static_cast<int64_t>(((num - static_cast<Raster_Wide>(q) * n) * 255 + n / 2) / n);
      plot(major, minor0 + q, static_cast<uint32_t>(255 - frac));
      if (frac) plot(major, minor0 + q + 1, static_cast<uint32_t>(frac));
    } else {
      // Nearest pixel to the exact minor coordinate, halves rounding up.
      plot(major,
           minor0 + Raster_FloorDiv(2 * static_cast<Raster_Wide>(i) * dMinor + n, 2 * static_cast<Raster_Wide>(n)),
           255);
    }
  }
}
