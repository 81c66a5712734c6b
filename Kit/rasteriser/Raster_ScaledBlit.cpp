#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
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

// The loops of VerticalMix::mix, vectorised by the compiler. Built twice, plain and
// for AVX2, and chosen at run time: an ifunc picked at load time would run before
// sanitizer run-times are ready.
__attribute__((always_inline)) inline int MixRowsBody(const uint8_t* t, const uint8_t* b,
                                                      uint32_t fy, size_t columns,
                                                      uint16_t* out, int16_t* a) {
  const uint16_t wt = static_cast<uint16_t>(kRasterFracOne - fy), wb = static_cast<uint16_t>(fy);
  for (size_t k = 0; k < 4 * columns; ++k) out[k] = static_cast<uint16_t>(t[k] * wt + b[k] * wb);
  int16_t lowest = INT16_MAX, highest = INT16_MIN;
  for (size_t x = 0; x < columns; ++x) {
    const int16_t at = t[4 * x], ab = b[4 * x];
    a[x] = at == ab ? at : static_cast<int16_t>(-1);
    lowest = std::min(lowest, a[x]);
    highest = std::max(highest, a[x]);
  }
  return lowest == highest ? lowest : -1;
}

#if defined(RASTER_HAS_WIDE)
RASTER_WIDE int MixRowsWide(const uint8_t* t, const uint8_t* b, uint32_t fy, size_t columns,
                            uint16_t* out, int16_t* a) {
  return MixRowsBody(t, b, fy, columns, out, a);
}
#endif

int MixRows(const uint8_t* t, const uint8_t* b, uint32_t fy, size_t columns, uint16_t* out,
            int16_t* a) {
#if defined(RASTER_HAS_WIDE)
  if (Raster_WideVectorsEnabled()) return MixRowsWide(t, b, fy, columns, out, a);
#endif
  return MixRowsBody(t, b, fy, columns, out, a);
}

// One source row pair mixed vertically, column by column: where the two pixels of a
// column share one alpha, the 2 x 2 mix of two such columns with equal alphas is a
// plain (straight) mix, identical to the premultiplied one, and needs no division.
struct VerticalMix {
  explicit VerticalMix(int columns)
      : channels(static_cast<size_t>(columns) * 4), alpha(static_cast<size_t>(columns)) {}

  // channels[4x + k] = top byte k x (128 - fy) + bottom byte k x fy;
  // alpha[x] = the column's alpha when top and bottom share it, else -1.
  // The alpha every column shares (an opaque image, say), or -1.
  int mix(const uint32_t* top, const uint32_t* bottom, uint32_t fy) {
    return MixRows(reinterpret_cast<const uint8_t*>(top), reinterpret_cast<const uint8_t*>(bottom),
                   fy, alpha.size(), channels.data(), alpha.data());
  }

  std::vector<uint16_t> channels;
  std::vector<int16_t> alpha;
};

constexpr int kMixShift = 2 * kRasterFracBits;

// A destination column's taps prepared for the row loops: offsets into the vertical
// mix's channels and the two horizontal weights (128 - fx low, fx high).
struct ColumnTap {
  int a;
  int b;
  uint32_t weights;
};

std::vector<ColumnTap> PrepareColumns(const std::vector<Taps>& cols, int colLo) {
  std::vector<ColumnTap> prepared(cols.size());
  for (size_t i = 0; i < cols.size(); ++i) {
    prepared[i] = ColumnTap{4 * (cols[i].first - colLo), 4 * (cols[i].second - colLo),
                            cols[i].frac << 16 | (kRasterFracOne - cols[i].frac)};
  }
  return prepared;
}

#if defined(__SSE2__)
// Channel sums of one pixel from two vertically mixed columns: each channel pair
// (a, b) times (128 - fx, fx) in one multiply-add (the mixes are below 32768, so the
// signed multiply is exact), rounded.
inline __m128i HorizontalSums(const uint16_t* channels, const ColumnTap& tap) {
  const __m128i pairs =
      _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(channels + tap.a)),
                         _mm_loadl_epi64(reinterpret_cast<const __m128i*>(channels + tap.b)));
  const __m128i sum = _mm_madd_epi16(pairs, _mm_set1_epi32(static_cast<int>(tap.weights)));
  return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << (kMixShift - 1))), kMixShift);
}

// Two neighbouring pixels, both by the plain mix, stored together.
inline void HorizontalPair(const uint16_t* channels, const ColumnTap* tap, uint32_t* out) {
  const __m128i packed = _mm_packs_epi32(HorizontalSums(channels, tap[0]), HorizontalSums(channels, tap[1]));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(packed, packed));
}
#endif

// The 2 x 2 result from two vertically mixed columns of one alpha.
inline uint32_t HorizontalMix(const uint16_t* channels, const ColumnTap& tap) {
#if defined(__SSE2__)
  __m128i sum = HorizontalSums(channels, tap);
  sum = _mm_packs_epi32(sum, sum);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
#else
  const uint32_t wa = tap.weights & 0xFFFFu, wb = tap.weights >> 16;
  uint32_t out = 0;
  for (int k = 0; k < 4; ++k) {
    const uint32_t v = channels[tap.a + k] * wa + channels[tap.b + k] * wb;
    out |= ((v + (1u << (kMixShift - 1))) >> kMixShift) << (8 * k);
  }
  return out;
#endif
}

#if defined(RASTER_HAS_WIDE)
// Channel sums of two pixels (one per 128-bit half) by the plain mix, as HorizontalSums.
RASTER_WIDE inline __m256i HorizontalSumsWide(const uint16_t* channels, const ColumnTap& first,
                                              const ColumnTap& second) {
  const __m256i a = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(channels + first.a))),
      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(channels + second.a)), 1);
  const __m256i b = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(channels + first.b))),
      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(channels + second.b)), 1);
  const __m256i weights = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_set1_epi32(static_cast<int>(first.weights))),
      _mm_set1_epi32(static_cast<int>(second.weights)), 1);
  const __m256i sum = _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), weights);
  return _mm256_srli_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(1 << (kMixShift - 1))), kMixShift);
}

// Four pixels a step of a row of one alpha (AVX2): pixels 0 and 2 share one register,
// 1 and 3 another. Returns how many it did.
RASTER_WIDE int PlainRowWide(const uint16_t* channels, const ColumnTap* tap, int width, uint32_t* out) {
  int i = 0;
  for (; i + 4 <= width; i += 4) {
    const __m256i packed = _mm256_packs_epi32(HorizontalSumsWide(channels, tap[i], tap[i + 2]),
                                              HorizontalSumsWide(channels, tap[i + 1], tap[i + 3]));
    const __m256i bytes = _mm256_packus_epi16(packed, packed);  // halves: 0 1 0 1 | 2 3 2 3
    const __m128i result = _mm_unpacklo_epi64(_mm256_castsi256_si128(bytes), _mm256_extracti128_si256(bytes, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), result);
  }
  return i;
}
#endif

// One destination row of bilinear samples from the source rows top and bottom
// (pointing at column colLo). sharedAlpha: the alpha of the whole row pair, or -1.
void FilteredRow(const VerticalMix& vertical, int sharedAlpha, const ColumnTap* tap, int width,
                 const uint32_t* top, const uint32_t* bottom, uint32_t fy, uint32_t* out) {
  if (sharedAlpha == 0) {  // all transparent
    std::fill(out, out + width, 0u);
    return;
  }
  const bool uniform = sharedAlpha > 0;
  const uint16_t* channels = vertical.channels.data();
  const int16_t* alphas = vertical.alpha.data();
  auto plain = [&](int i) {
    const int16_t alpha = alphas[tap[i].a / 4];
    return alpha > 0 && alpha == alphas[tap[i].b / 4];
  };
  auto one = [&](int i) {
    const int a = tap[i].a / 4, b = tap[i].b / 4;
    if (plain(i)) {
      out[i] = HorizontalMix(channels, tap[i]);
    } else if (alphas[a] == 0 && alphas[b] == 0) {
      out[i] = 0;
    } else {
      out[i] = Raster_Bilinear(top[a], top[b], bottom[a], bottom[b], tap[i].weights >> 16, fy);
    }
  };
  int i = 0;
#if defined(RASTER_HAS_WIDE)
  if (uniform && Raster_WideVectorsEnabled()) i = PlainRowWide(channels, tap, width, out);
#endif
#if defined(__SSE2__)
  for (; i + 2 <= width; i += 2) {
    if (uniform || (plain(i) && plain(i + 1))) {
      HorizontalPair(channels, tap + i, out + i);
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
  const Raster_BlendSpec rule = Raster_ParseBlend(alpha, mode);
  Raster_Span to;
  if (rule.opacity == 0 || !Raster_ClipRect(dstx, dsty, dstw, dsth, d.width, d.height, &to)) {
    return;
  }
  // The source area: the source rect's pixels within the bitmap.
  const int64_t loX = std::max<int64_t>(0, Raster_WholePixel(std::floor(srcx)));
  const int64_t loY = std::max<int64_t>(0, Raster_WholePixel(std::floor(srcy)));
  const int64_t hiX = std::min<int64_t>(s.width - 1, Raster_WholePixel(std::ceil(static_cast<double>(srcx) + srcw)) - 1);
  const int64_t hiY = std::min<int64_t>(s.height - 1, Raster_WholePixel(std::ceil(static_cast<double>(srcy) + srch)) - 1);
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
  const std::vector<ColumnTap> prepared = PrepareColumns(cols, colLo);

  for (int y = to.y0; y < to.y1; ++y) {
    const Taps& r = rows[static_cast<size_t>(y - to.y0)];
    const uint32_t* top = s.row(r.first);
    if (filtered) {
      const uint32_t* bottom = s.row(r.second);
      const int sharedAlpha = vertical.mix(top + colLo, bottom + colLo, r.frac);
      FilteredRow(vertical, sharedAlpha, prepared.data(), width, top + colLo, bottom + colLo, r.frac,
                  line.data());
    } else {
      for (int i = 0; i < width; ++i) line[static_cast<size_t>(i)] = top[cols[static_cast<size_t>(i)].first];
    }
    Raster_BlendRow(rule, d.row(y) + to.x0, line.data(), width);
  }
}
