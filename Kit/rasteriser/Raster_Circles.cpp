#include <cmath>

#include "rasteriser/Raster_Kernels.h"
#include "rasteriser/Raster_Shapes.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Pixels a round shape may touch: rows and columns of the bitmap within `reach` of
// the centre, limited further by a box (inclusive).
struct Bounds {
  int x0, y0, x1, y1;
};
bool ShapeBounds(const Raster_Pixels& d, double cx, double cy, double reach, Bounds box, Bounds* out) {
  const double x0 = std::max({std::floor(cx - reach - 1), 0.0, static_cast<double>(box.x0)});
  const double y0 = std::max({std::floor(cy - reach - 1), 0.0, static_cast<double>(box.y0)});
  const double x1 = std::min({std::ceil(cx + reach + 1), d.width - 1.0, static_cast<double>(box.x1)});
  const double y1 = std::min({std::ceil(cy + reach + 1), d.height - 1.0, static_cast<double>(box.y1)});
  if (!(x0 <= x1 && y0 <= y1)) return false;
  *out = Bounds{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
  return true;
}

const Bounds kNoBox{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

bool FiniteCircle(float cx, float cy, float r) {
  return std::isfinite(cx) && std::isfinite(cy) && std::isfinite(r) && r >= 0.0f;
}

// Columns of one row whose centres lie within `radius` of the centre: [*a, *b].
// The square root gives the run; the ends are then settled by the exact test, so the
// run is precisely the set the test describes.
bool RowRun(double cx, double dy2, double radius, int lo, int hi, int* a, int* b) {
  const double r2 = radius * radius;
  if (radius < 0 || dy2 > r2) return false;
  auto inside = [&](int x) {
    const double dx = x + 0.5 - cx;
    return dx * dx + dy2 <= r2;
  };
  const double half = std::sqrt(r2 - dy2);
  double left = std::ceil(cx - half - 0.5), right = std::floor(cx + half - 0.5);
  left = std::max(left, lo - 1.0);
  right = std::min(right, hi + 1.0);
  if (left > right + 2) return false;
  int l = static_cast<int>(left), r = static_cast<int>(right);
  while (l > lo && inside(l - 1)) --l;
  while (l <= r && !inside(l)) ++l;
  while (r < hi && inside(r + 1)) ++r;
  while (r >= l && !inside(r)) --r;
  l = std::max(l, lo);
  r = std::min(r, hi);
  if (l > r) return false;
  *a = l;
  *b = r;
  return true;
}

// Whether the pixel centre's direction from the centre lies within the arc.
struct AngleRange {
  bool all = true;
  double start = 0;
  double span = 0;
  bool contains(double dx, double dy) const {
    if (all) return true;
    double a = std::atan2(dx, -dy) - start;  // 0 up, clockwise
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    return a <= span;
  }
};

// A ring one pixel wide on radius r: without antialiasing the pixels whose centres
// lie at r - 0.5 < distance <= r + 0.5, with it coverage 1 - |distance - r|.
void Ring(const Raster_Pixels& d, const Raster_ColorBlend& blend, double cx, double cy, double r,
          const AngleRange& angles, Bounds box, bool antiAlias) {
  Bounds b;
  if (blend.weight == 0 || !ShapeBounds(d, cx, cy, r + 1, box, &b)) return;
  const double inner = antiAlias ? r - 1 : r - 0.5, outer = antiAlias ? r + 1 : r + 0.5;
  for (int y = b.y0; y <= b.y1; ++y) {
    const double dy = y + 0.5 - cy, dy2 = dy * dy;
    int a0, a1;
    if (!RowRun(cx, dy2, outer, b.x0, b.x1, &a0, &a1)) continue;
    int h0 = 0, h1 = -1;  // the hole inside the ring on this row
    if (inner > 0 && !RowRun(cx, dy2, inner, a0, a1, &h0, &h1)) h1 = h0 - 1;
    uint32_t* row = d.row(y);
    for (int x = a0; x <= a1; ++x) {
      if (x >= h0 && x <= h1) {
        x = h1;
        continue;
      }
      const double dx = x + 0.5 - cx;
      if (!angles.contains(dx, dy)) continue;
      const double dist = std::sqrt(dx * dx + dy2);
      if (!antiAlias) {
        if (dist > r - 0.5 && dist <= r + 0.5) Raster_BlendColorPixel(blend, row + x, 255);
        continue;
      }
      const double coverage = 1.0 - std::fabs(dist - r);
      if (coverage > 0) Raster_BlendColorPixel(blend, row + x, static_cast<uint32_t>(coverage * 255 + 0.5));
    }
  }
}

}  // namespace

void Raster_Circle(Raster_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                   bool antiAlias) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  if (d.empty() || !FiniteCircle(cx, cy, r)) return;
  Ring(d, Raster_PrepareColor(Raster_ParseBlend(alpha, mode), color), cx, cy, r, AngleRange{}, kNoBox, antiAlias);
}

void Raster_Arc(Raster_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, unsigned int color,
                float alpha, int mode, bool antiAlias) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  if (d.empty() || !FiniteCircle(cx, cy, r) || !std::isfinite(minAngle) || !std::isfinite(maxAngle)) {
    return;
  }
  AngleRange angles;
  double lo = minAngle, hi = maxAngle;
  if (hi < lo) std::swap(lo, hi);
  angles.all = hi - lo >= kTwoPi;
  angles.start = lo;
  angles.span = hi - lo;
  Ring(d, Raster_PrepareColor(Raster_ParseBlend(alpha, mode), color), cx, cy, r, angles, kNoBox, antiAlias);
}

void Raster_RoundRect(Raster_IBitmap* dest, float x, float y, float w, float h, int cornerRadius, unsigned int color,
                      float alpha, int mode, bool antiAlias) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  if (d.empty() || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) {
    return;
  }
  auto toInt = [](double v) { return static_cast<int>(std::clamp(std::floor(v), -1e9, 1e9)); };
  const int left = toInt(x), top = toInt(y);
  const int right = toInt(static_cast<double>(x) + w), bottom = toInt(static_cast<double>(y) + h);
  if (right < left || bottom < top) return;
  const int cr = std::clamp(cornerRadius, 0, std::min(right - left, bottom - top) / 2);

  Raster_Line(dest, left + cr, top, right - cr, top, color, alpha, mode, false);
  Raster_Line(dest, left + cr, bottom, right - cr, bottom, color, alpha, mode, false);
  Raster_Line(dest, left, top + cr, left, bottom - cr, color, alpha, mode, false);
  Raster_Line(dest, right, top + cr, right, bottom - cr, color, alpha, mode, false);
  if (cr == 0) return;
  // Each corner is the ring of radius cr about the pixel centre cr in from both edges,
  // limited to the corner's square so it never overlaps the straight edges.
  const Raster_ColorBlend blend = Raster_PrepareColor(Raster_ParseBlend(alpha, mode), color);
  const double r = cr;
  const double l0 = left + cr + 0.5, t0 = top + cr + 0.5;
  const double r0 = right - cr + 0.5, b0 = bottom - cr + 0.5;
  Ring(d, blend, l0, t0, r, AngleRange{}, Bounds{left, top, left + cr - 1, top + cr - 1}, antiAlias);
  Ring(d, blend, r0, t0, r, AngleRange{}, Bounds{right - cr + 1, top, right, top + cr - 1}, antiAlias);
  Ring(d, blend, l0, b0, r, AngleRange{}, Bounds{left, bottom - cr + 1, left + cr - 1, bottom}, antiAlias);
  Ring(d, blend, r0, b0, r, AngleRange{}, Bounds{right - cr + 1, bottom - cr + 1, right, bottom}, antiAlias);
}

void Raster_FillCircle(Raster_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                       bool antiAlias) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  if (d.empty() || !FiniteCircle(cx, cy, r)) return;
  const Raster_ColorBlend blend = Raster_PrepareColor(Raster_ParseBlend(alpha, mode), color);
  Bounds b;
  if (blend.weight == 0 || !ShapeBounds(d, cx, cy, r + 1, kNoBox, &b)) return;
  // Antialiased: coverage r + 0.5 - distance, full within r - 0.5, none beyond r + 0.5.
  const double solid = antiAlias ? r - 0.5 : r, reach = antiAlias ? r + 0.5 : r;
  for (int y = b.y0; y <= b.y1; ++y) {
    const double dy = y + 0.5 - cy, dy2 = dy * dy;
    int a0, a1;
    if (!RowRun(cx, dy2, reach, b.x0, b.x1, &a0, &a1)) continue;
    int s0 = 0, s1 = -1;
    if (solid >= 0 && RowRun(cx, dy2, solid, a0, a1, &s0, &s1)) {
      Raster_BlendColorRow(blend, d.row(y) + s0, s1 - s0 + 1);
    }
    if (!antiAlias) continue;
    uint32_t* row = d.row(y);
    for (int x = a0; x <= a1; ++x) {
      if (x >= s0 && x <= s1) {
        x = s1;
        continue;
      }
      const double dx = x + 0.5 - cx;
      const double coverage = r + 0.5 - std::sqrt(dx * dx + dy2);
      if (coverage > 0)
        Raster_BlendColorPixel(blend, row + x, static_cast<uint32_t>(std::min(coverage, 1.0) * 255 + 0.5));
    }
  }
}
