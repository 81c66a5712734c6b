#include <climits>

#include "rasteriser/Raster_Kernels.h"
#include "rasteriser/Raster_Shapes.h"

namespace {

// The quotients lie between two vertex x values, so they fit in 64 bits.
int64_t CeilDiv(Raster_Wide a, int64_t b) { return -Raster_FloorDiv(-a, b); }

}  // namespace

void Raster_FillConvexPolygon(Raster_IBitmap* dest, const int* x, const int* y, int npoints, unsigned int color,
                              float alpha, int mode) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  if (d.empty() || !x || !y || npoints < 1) return;
  const Raster_ColorBlend blend = Raster_PrepareColor(Raster_ParseBlend(alpha, mode), color);
  if (blend.weight == 0) return;

  int64_t top = INT64_MAX, bottom = INT64_MIN;
  for (int i = 0; i < npoints; ++i) {
    top = std::min<int64_t>(top, y[i]);
    bottom = std::max<int64_t>(bottom, y[i]);
  }
  top = std::max<int64_t>(top, 0);
  bottom = std::min<int64_t>(bottom, d.height - 1);

  for (int64_t row = top; row <= bottom; ++row) {
    // The row through the vertices' pixel centres meets each edge at an exact
    // rational x; the filled run is from the smallest to the largest crossing.
    int64_t left = INT64_MAX, right = INT64_MIN;
    for (int i = 0; i < npoints; ++i) {
      const int j = (i + 1) % npoints;
      int64_t xa = x[i], ya = y[i], xb = x[j], yb = y[j];
      if (ya > yb) {
        std::swap(xa, xb);
        std::swap(ya, yb);
      }
      if (row < ya || row > yb) continue;
      if (ya == yb) {
        left = std::min({left, xa, xb});
        right = std::max({right, xa, xb});
        continue;
      }
      const Raster_Wide num = static_cast<Raster_Wide>(xa) * (yb - ya) + static_cast<Raster_Wide>(row - ya) * (xb - xa);
      left = std::min(left, CeilDiv(num, yb - ya));
      right = std::max(right, Raster_FloorDiv(num, yb - ya));
    }
    left = std::max<int64_t>(left, 0);
    right = std::min<int64_t>(right, d.width - 1);
    if (left <= right) {
      Raster_BlendColorRow(blend, d.row(static_cast<int>(row)) + left, static_cast<int>(right - left + 1));
    }
  }
}

void Raster_FillTriangle(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color,
                         float alpha, int mode) {
  const int xs[] = {x1, x2, x3}, ys[] = {y1, y2, y3};
  Raster_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}
