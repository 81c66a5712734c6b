#include "rasteriser/Raster_Blit.h"

#include <vector>

#include "rasteriser/Raster_Kernels.h"

void Raster_Blit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
                 float alpha, int mode) {
  const Raster_Pixels d = Raster_PixelsOf(dest), s = Raster_PixelsOf(src);
  if (d.empty() || s.empty() || srcw <= 0 || srch <= 0) return;
  const Raster_BlendSpec rule = Raster_ParseBlend(alpha, mode);
  if (rule.opacity == 0) return;

  // Clip the source rect to the source, then its placement to the destination.
  Raster_Span from;
  if (!Raster_ClipRect(srcx, srcy, srcw, srch, s.width, s.height, &from)) return;
  const long shiftX = static_cast<long>(dstx) - srcx, shiftY = static_cast<long>(dsty) - srcy;
  Raster_Span to;
  if (!Raster_ClipRect(from.x0 + shiftX, from.y0 + shiftY, from.x1 - from.x0, from.y1 - from.y0, d.width, d.height,
                       &to)) {
    return;
  }
  const int width = to.x1 - to.x0;
  const int x0 = static_cast<int>(to.x0 - shiftX);
  const int y0 = static_cast<int>(to.y0 - shiftY);

  // Blitting within one bitmap: read from a copy so no source pixel is overwritten
  // before it is read.
  std::vector<uint32_t> copy;
  const uint32_t* srcBase = s.bits + s.span * y0 + x0;
  long srcSpan = s.span;
  if (d.bits == s.bits) {
    copy.resize(static_cast<size_t>(width) * (to.y1 - to.y0));
    for (int y = 0; y < to.y1 - to.y0; ++y) {
      std::copy(srcBase + s.span * y, srcBase + s.span * y + width, copy.begin() + static_cast<long>(y) * width);
    }
    srcBase = copy.data();
    srcSpan = width;
  }
  for (int y = to.y0; y < to.y1; ++y) {
    Raster_BlendRow(rule, d.row(y) + to.x0, srcBase + srcSpan * (y - to.y0), width);
  }
}

void Raster_Copy(Raster_IBitmap* dest, Raster_IBitmap* src) {
  if (!dest || !src || dest == src) return;
  const Raster_Pixels s = Raster_PixelsOf(src);
  if (!dest->resize(s.width, s.height) || s.empty()) return;
  Raster_Blit(dest, src, 0, 0, 0, 0, s.width, s.height, 1.0f, RASTER_MODE_COPY);
}

void Raster_ClearRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int mask, unsigned int orbits) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  Raster_Span r;
  if (d.empty() || !Raster_ClipRect(x, y, w, h, d.width, d.height, &r)) return;
  for (int row = r.y0; row < r.y1; ++row) {
    uint32_t* p = d.row(row);
    for (int col = r.x0; col < r.x1; ++col) p[col] = (p[col] & mask) | orbits;
  }
}
