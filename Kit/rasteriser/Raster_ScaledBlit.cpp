#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <climits>
#include <vector>

#include "Raster_Blit.h"
#include "Raster_Kernels.h"
#include "Raster_Sample.h"

namespace {

// Channels are read as bytes in memory order: byte k of a pixel word is bits 8k..8k+7.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixel bytes are read in memory order");

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

// One source row pair mixed vertically, column by column: where the two pixels of a
// column share one alpha, the 2 x 2 mix of two such columns with equal alphas is a
// plain (straight) mix, identical to the premultiplied one, and needs no division.
struct VerticalMix {
  explicit VerticalMix(int columns)
      : channels(static_cast<size_t>(columns) * 4), alpha(static_cast<size_t>(columns)) {}

  // channels[4x + k] = top byte k x (128 - fy) + bottom byte k x fy;
  // alpha[x] = the column's alpha when top and bottom share it, else -1.
  void mix(const uint32_t* top, const uint32_t* bottom, uint32_t fy) {
    const auto* t = reinterpret_cast<const uint8_t*>(top);
    const auto* b = reinterpret_cast<const uint8_t*>(bottom);
    const uint16_t wt = static_cast<uint16_t>(kRasterFracOne - fy), wb = static_cast<uint16_t>(fy);
    uint16_t* out = channels.data();
    const size_t n = channels.size();
    for (size_t k = 0; k < n; ++k) out[k] = static_cast<uint16_t>(t[k] * wt + b[k] * wb);
    int16_t* a = alpha.data();
    for (size_t x = 0; x < alpha.size(); ++x) {
      const int16_t at = t[4 * x], ab = b[4 * x];
      a[x] = at == ab ? at : static_cast<int16_t>(-1);
    }
  }

  std::vector<uint16_t> channels;
  std::vector<int16_t> alpha;
};

constexpr int kMixShift = 2 * kRasterFracBits;

#if defined(__SSE2__)
// Channel sums of one pixel from two vertically mixed columns: each channel pair
// (a, b) times (128 - fx, fx) in one multiply-add (the mixes are below 32768, so the
// signed multiply is exact), rounded.
inline __m128i HorizontalSums(const uint16_t* ca, const uint16_t* cb, uint32_t fx) {
  const __m128i pairs = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(ca)),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb)));
  const __m128i weights = _mm_set1_epi32(static_cast<int>(fx << 16 | (kRasterFracOne - fx)));
  const __m128i sum = _mm_madd_epi16(pairs, weights);
  return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << (kMixShift - 1))), kMixShift);
}
#endif

// The 2 x 2 result from two vertically mixed columns ca and cb of one alpha,
// fraction fx toward cb.
inline uint32_t HorizontalMix(const uint16_t* ca, const uint16_t* cb, uint32_t fx) {
#if defined(__SSE2__)
  __m128i sum = HorizontalSums(ca, cb, fx);
  sum = _mm_packs_epi32(sum, sum);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
#else
  const uint32_t wa = kRasterFracOne - fx;
  uint32_t out = 0;
  for (int k = 0; k < 4; ++k) {
    out |= ((ca[k] * wa + cb[k] * fx + (1u << (kMixShift - 1))) >> kMixShift) << (8 * k);
  }
  return out;
#endif
}

// One destination row of bilinear samples from the source rows top and bottom.
void FilteredRow(const VerticalMix& vertical, int colLo, const Taps* tap, int width,
                 const uint32_t* top, const uint32_t* bottom, uint32_t fy, uint32_t* out) {
  const uint16_t* channels = vertical.channels.data();
  const int16_t* alphas = vertical.alpha.data();
  auto one = [&](int i) {
    const int a = tap[i].first - colLo, b = tap[i].second - colLo;
    const int alpha = alphas[a];
    if (alpha == alphas[b] && alpha > 0) {
      out[i] = HorizontalMix(channels + 4 * a, channels + 4 * b, tap[i].frac);
    } else if (alpha == alphas[b] && alpha == 0) {
      out[i] = 0;
    } else {
      out[i] = Raster_Bilinear(top[tap[i].first], top[tap[i].second], bottom[tap[i].first],
                               bottom[tap[i].second], tap[i].frac, fy);
    }
  };
  int i = 0;
#if defined(__SSE2__)
  // Two pixels a step share the packing when both take the plain mix.
  for (; i + 2 <= width; i += 2) {
    const int a0 = tap[i].first - colLo, b0 = tap[i].second - colLo;
    const int a1 = tap[i + 1].first - colLo, b1 = tap[i + 1].second - colLo;
    const int alpha0 = alphas[a0], alpha1 = alphas[a1];
    if (alpha0 > 0 && alpha1 > 0 && alpha0 == alphas[b0] && alpha1 == alphas[b1]) {
      const __m128i s0 = HorizontalSums(channels + 4 * a0, channels + 4 * b0, tap[i].frac);
      const __m128i s1 = HorizontalSums(channels + 4 * a1, channels + 4 * b1, tap[i + 1].frac);
      const __m128i packed = _mm_packs_epi32(s0, s1);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(packed, packed));
    } else {
      one(i);
      one(i + 1);
    }
  }
#endif
  for (; i < width; ++i) one(i);
}

}  // namespace

void Raster_ScaledBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw,
                       int dsth, float srcx, float srcy, float srcw, float srch, float alpha,
                       int mode) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  Raster_Pixels s = Raster_PixelsOf(src);
  if (d.empty() || s.empty() || dstw <= 0 || dsth <= 0) return;
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
  // Drawing a bitmap into itself: sample from a copy.
  Raster_MemBitmap copy;
  if (d.bits == s.bits) {
    Raster_Copy(&copy, src);
    s = Raster_PixelsOf(&copy);
  }

  const bool filtered = (mode & RASTER_MODE_FILTERED) != 0;
  const std::vector<Taps> cols =
      MakeTaps(to.x0 - dstx, to.x1 - dstx, srcx, static_cast<double>(srcw) / dstw,
               static_cast<int>(loX), static_cast<int>(hiX), filtered);
  const std::vector<Taps> rows =
      MakeTaps(to.y0 - dsty, to.y1 - dsty, srcy, static_cast<double>(srch) / dsth,
               static_cast<int>(loY), static_cast<int>(hiY), filtered);
  const int width = to.x1 - to.x0;
  std::vector<uint32_t> line(static_cast<size_t>(width));
  // Source columns the taps reach; the rows' vertical mixes cover just these.
  int colLo = INT_MAX, colHi = INT_MIN;
  for (const Taps& c : cols) {
    colLo = std::min(colLo, c.first);
    colHi = std::max(colHi, c.second);
  }
  VerticalMix vertical(filtered ? colHi - colLo + 1 : 0);

  for (int y = to.y0; y < to.y1; ++y) {
    const Taps& r = rows[static_cast<size_t>(y - to.y0)];
    const uint32_t* top = s.row(r.first);
    if (filtered) {
      const uint32_t* bottom = s.row(r.second);
      vertical.mix(top + colLo, bottom + colLo, r.frac);
      FilteredRow(vertical, colLo, cols.data(), width, top, bottom, r.frac, line.data());
    } else {
      for (int i = 0; i < width; ++i) line[static_cast<size_t>(i)] = top[cols[static_cast<size_t>(i)].first];
    }
    Raster_BlendRow(spec, d.row(y) + to.x0, line.data(), width);
  }
}
