#include <algorithm>
#include <cmath>
#include <vector>

#include "rasteriser/Raster_Blit.h"
#include "rasteriser/Raster_Kernels.h"
#include "rasteriser/Raster_Sample.h"

namespace {

// Source pixels readable by the rotation: outside them taps are transparent.
struct Area {
  int64_t x0, y0, x1, y1;  // inclusive
};

inline uint32_t Tap(const Raster_Pixels& s, const Area& a, int64_t x, int64_t y) {
  if (x < a.x0 || x > a.x1 || y < a.y0 || y > a.y1) return 0;
  return s.row(static_cast<int>(y))[x];
}

// The source pixels the rotation reads: the whole bitmap, or with clipToSourceRect
// the pixels the source rectangle touches. False when that leaves none.
bool ReadableArea(const Raster_Pixels& s, bool clipToSourceRect, float srcx, float srcy, float srcw, float srch,
                  Area* area) {
  *area = {0, 0, s.width - 1, s.height - 1};
  if (!clipToSourceRect) return true;
  area->x0 = std::max<int64_t>(area->x0, Raster_WholePixel(std::floor(srcx)));
  area->y0 = std::max<int64_t>(area->y0, Raster_WholePixel(std::floor(srcy)));
  area->x1 = std::min<int64_t>(area->x1, Raster_WholePixel(std::ceil(static_cast<double>(srcx) + srcw)) - 1);
  area->y1 = std::min<int64_t>(area->y1, Raster_WholePixel(std::ceil(static_cast<double>(srcy) + srch)) - 1);
  return area->x0 <= area->x1 && area->y0 <= area->y1;
}

// The source's colour at fixed-point (u, v), nearest or bilinear; false when no tap
// of it lies in the area.
inline bool Sample(const Raster_Pixels& s, const Area& area, int64_t u, int64_t v, bool filtered, uint32_t* out) {
  const int64_t tx = Raster_FixedFloor(u), ty = Raster_FixedFloor(v);
  if (!filtered) {
    if (tx < area.x0 || tx > area.x1 || ty < area.y0 || ty > area.y1) return false;
    *out = s.row(static_cast<int>(ty))[tx];
    return true;
  }
  if (tx < area.x0 - 1 || tx > area.x1 || ty < area.y0 - 1 || ty > area.y1) return false;
  const uint32_t fx = Raster_FixedFrac(u), fy = Raster_FixedFrac(v);
  if (tx >= area.x0 && tx < area.x1 && ty >= area.y0 && ty < area.y1) {
    // All four taps within the area: read them straight.
    const uint32_t* upper = s.row(static_cast<int>(ty)) + tx;
    const uint32_t* lower = upper + s.span;
    *out = Raster_Bilinear(upper[0], upper[1], lower[0], lower[1], fx, fy);
  } else {
    *out = Raster_Bilinear(Tap(s, area, tx, ty), Tap(s, area, tx + 1, ty), Tap(s, area, tx, ty + 1),
                           Tap(s, area, tx + 1, ty + 1), fx, fy);
  }
  return true;
}

}  // namespace

void Raster_RotatedBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                        float srcy, float srcw, float srch, float angle, bool clipToSourceRect, float alpha, int mode,
                        float rotxcent, float rotycent) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  Raster_Pixels s = Raster_PixelsOf(src);
  if (d.empty() || s.empty() || dstw <= 0 || dsth <= 0) return;
  // Drawing a bitmap into itself: sample from a copy.
  Raster_MemBitmap copy;
  if (d.bits == s.bits) {
    Raster_Copy(&copy, src);
    s = Raster_PixelsOf(&copy);
    if (s.empty()) return;
  }
  const float inputs[] = {srcx, srcy, srcw, srch, angle, rotxcent, rotycent};
  for (float v : inputs) {
    if (!std::isfinite(v)) return;
  }
  if (!(srcw > 0.0f) || !(srch > 0.0f)) return;
  const Raster_BlendSpec rule = Raster_ParseBlend(alpha, mode);
  Raster_Span to;
  if (rule.opacity == 0 || !Raster_ClipRect(dstx, dsty, dstw, dsth, d.width, d.height, &to)) {
    return;
  }

  Area area;
  if (!ReadableArea(s, clipToSourceRect, srcx, srcy, srcw, srch, &area)) return;

  const bool filtered = (mode & RASTER_MODE_FILTERED) != 0;
  const double kx = static_cast<double>(srcw) / dstw, ky = static_cast<double>(srch) / dsth;
  const double cx = dstx + dstw * 0.5 + rotxcent, cy = dsty + dsth * 0.5 + rotycent;
  const double px = srcx + srcw * 0.5 + rotxcent * kx, py = srcy + srch * 0.5 + rotycent * ky;
  const double c = std::cos(static_cast<double>(angle)), sn = std::sin(static_cast<double>(angle));
  // Bilinear taps sit at pixel centres; nearest sampling rounds instead.
  const double tapShift = filtered ? -0.5 : 0.0;
  const int64_t stepU = Raster_ToFixed(c * kx), stepV = Raster_ToFixed(-sn * ky);

  const int width = to.x1 - to.x0;
  std::vector<uint32_t> line(static_cast<size_t>(width));
  for (int y = to.y0; y < to.y1; ++y) {
    // The destination pixel centre, turned back by the angle into the source.
    const double dx = to.x0 + 0.5 - cx, dy = y + 0.5 - cy;
    int64_t u = Raster_ToFixed(px + (c * dx + sn * dy) * kx + tapShift);
    int64_t v = Raster_ToFixed(py + (-sn * dx + c * dy) * ky + tapShift);
    int run = 0;  // pixels gathered in line, ending at column x
    for (int x = to.x0; x < to.x1; ++x, u += stepU, v += stepV) {
      if (Sample(s, area, u, v, filtered, &line[static_cast<size_t>(run)])) {
        ++run;
      } else if (run) {
        Raster_BlendRow(rule, d.row(y) + x - run, line.data(), run);
        run = 0;
      }
    }
    if (run) Raster_BlendRow(rule, d.row(y) + to.x1 - run, line.data(), run);
  }
}
