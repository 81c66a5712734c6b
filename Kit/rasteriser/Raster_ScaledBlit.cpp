#include <algorithm>
#include <vector>

#include "Raster_Blit.h"
#include "Raster_Kernels.h"
#include "Raster_Sample.h"

namespace {

// Source taps of one destination column or row: the two neighbours, clamped to the
// source area, and the fraction between them.
struct Taps {
  int first;
  int second;
  uint32_t frac;
};

// Taps for destination positions from..to-1 (relative to the destination rect) of
// a source extent starting at origin with `scale` source pixels per destination pixel.
std::vector<Taps> MakeTaps(int from, int to, double origin, double scale, int lo, int hi,
                           bool filtered) {
  std::vector<Taps> taps(static_cast<size_t>(to - from));
  for (int i = from; i < to; ++i) {
    // Pixel centre to source coordinate; bilinear taps sit at source centres.
    const double centre = origin + (i + 0.5) * scale;
    const int64_t fixed = Raster_ToFixed(filtered ? centre - 0.5 : centre);
    const int64_t base = Raster_FixedFloor(fixed);
    Taps& t = taps[static_cast<size_t>(i - from)];
    t.first = static_cast<int>(std::clamp<int64_t>(base, lo, hi));
    t.second = static_cast<int>(std::clamp<int64_t>(base + 1, lo, hi));
    t.frac = filtered ? Raster_FixedFrac(fixed) : 0;
  }
  return taps;
}

}  // namespace

void Raster_ScaledBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw,
                       int dsth, float srcx, float srcy, float srcw, float srch, float alpha,
                       int mode) {
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
  if (!(srcw > 0.0f) || !(srch > 0.0f) || !std::isfinite(srcx) || !std::isfinite(srcy) ||
      !std::isfinite(srcw) || !std::isfinite(srch)) {
    return;
  }
  const Raster_BlendSpec spec = Raster_ParseBlend(alpha, mode);
  Raster_Span to;
  if (spec.opacity == 0 || !Raster_ClipRect(dstx, dsty, dstw, dsth, d.width, d.height, &to)) {
    return;
  }
  // The source area: the source rect's pixels within the bitmap.
  const int64_t loX = std::max<int64_t>(0, static_cast<int64_t>(std::floor(srcx)));
  const int64_t loY = std::max<int64_t>(0, static_cast<int64_t>(std::floor(srcy)));
  const int64_t hiX = std::min<int64_t>(s.width - 1, static_cast<int64_t>(std::ceil(static_cast<double>(srcx) + srcw)) - 1);
  const int64_t hiY = std::min<int64_t>(s.height - 1, static_cast<int64_t>(std::ceil(static_cast<double>(srcy) + srch)) - 1);
  if (loX > hiX || loY > hiY) return;

  const bool filtered = (mode & RASTER_MODE_FILTERED) != 0;
  const std::vector<Taps> cols =
      MakeTaps(to.x0 - dstx, to.x1 - dstx, srcx, static_cast<double>(srcw) / dstw,
               static_cast<int>(loX), static_cast<int>(hiX), filtered);
  const std::vector<Taps> rows =
      MakeTaps(to.y0 - dsty, to.y1 - dsty, srcy, static_cast<double>(srch) / dsth,
               static_cast<int>(loY), static_cast<int>(hiY), filtered);
  const int width = to.x1 - to.x0;
  std::vector<uint32_t> line(static_cast<size_t>(width));

  for (int y = to.y0; y < to.y1; ++y) {
    const Taps& r = rows[static_cast<size_t>(y - to.y0)];
    const uint32_t* top = s.row(r.first);
    if (filtered) {
      const uint32_t* bottom = s.row(r.second);
      for (int i = 0; i < width; ++i) {
        const Taps& c = cols[static_cast<size_t>(i)];
        line[static_cast<size_t>(i)] = Raster_Bilinear(top[c.first], top[c.second], bottom[c.first],
                                                       bottom[c.second], c.frac, r.frac);
      }
    } else {
      for (int i = 0; i < width; ++i) line[static_cast<size_t>(i)] = top[cols[static_cast<size_t>(i)].first];
    }
    Raster_BlendRow(spec, d.row(y) + to.x0, line.data(), width);
  }
}
