#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "rasteriser/Raster_Blit.h"
#include "rasteriser/Raster_Kernels.h"
#include "rasteriser/Raster_ScaleRows.h"

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
std::vector<Taps> MakeTaps(int from, int to, double origin, double scale, int lo, int hi, bool filtered) {
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

// The columns of the destination span: where their left taps start in the mixes, and weights.
struct ColumnTaps {
  std::vector<int32_t> left;
  std::vector<uint32_t> weights;
};

ColumnTaps PrepareColumns(const std::vector<Taps>& cols, int colLo) {
  ColumnTaps prepared;
  prepared.left.resize(cols.size());
  prepared.weights.resize(cols.size());
  for (size_t i = 0; i < cols.size(); ++i) {
    // Both taps on one column: the right one is the next column at weight 0.
    const uint32_t fx = cols[i].second == cols[i].first ? 0 : cols[i].frac;
    prepared.left[i] = 4 * (cols[i].first - colLo);
    prepared.weights[i] = fx << 16 | (kRasterFracOne - fx);
  }
  return prepared;
}

// The alpha all n pixels share, or -1.
int SharedAlpha(const uint32_t* p, int n) {
  const uint32_t alpha = p[0] & 0xFFu;
  for (int i = Raster_ScaleAlphaRunWide(p, n, alpha); i < n; ++i) {
    if ((p[i] & 0xFFu) != alpha) return -1;
  }
  return static_cast<int>(alpha);
}

void MixPlain(const uint32_t* top, const uint32_t* bottom, int n, uint32_t fy, uint16_t* out) {
  const auto* t = reinterpret_cast<const uint8_t*>(top);
  const auto* b = reinterpret_cast<const uint8_t*>(bottom);
  for (int k = 4 * Raster_ScaleMixPlainWide(top, bottom, n, fy, out); k < 4 * n; ++k) {
    out[k] = static_cast<uint16_t>(t[k] * (kRasterFracOne - fy) + b[k] * fy);
  }
}

void MixPremultiplied(const uint32_t* top, const uint32_t* bottom, int n, uint32_t fy, int32_t* out) {
  for (int x = Raster_ScaleMixPremultipliedWide(top, bottom, n, fy, out); x < n; ++x) {
    const uint32_t wt = (top[x] & 0xFFu) * (kRasterFracOne - fy), wb = (bottom[x] & 0xFFu) * fy;
    out[4 * x] = static_cast<int32_t>(wt + wb);
    for (int k = 1; k < 4; ++k) {
      out[4 * x + k] = static_cast<int32_t>(((top[x] >> 8 * k) & 0xFFu) * wt + ((bottom[x] >> 8 * k) & 0xFFu) * wb);
    }
  }
}

#if defined(__SSE2__)
// Channel sums of one pixel from the plain mix of its two columns: each channel pair
// (left, right) times (128 - fx, fx) in one multiply-add (the mixes are below 32768,
// so the signed multiply is exact), rounded.
inline __m128i PlainSums(const uint16_t* mix, int32_t left, uint32_t weights) {
  const __m128i pairs = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(mix + left)),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(mix + left + 4)));
  const __m128i sum = _mm_madd_epi16(pairs, _mm_set1_epi32(static_cast<int>(weights)));
  return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(kRasterMixHalf)), kRasterMixShift);
}
#endif

void RowPlain(const uint16_t* mix, const ColumnTaps& taps, int n, uint32_t* out) {
  int i = Raster_ScaleRowPlainWide(mix, taps.left.data(), taps.weights.data(), n, out);
#if defined(__SSE2__)
  for (; i + 2 <= n; i += 2) {
    const __m128i packed = _mm_packs_epi32(PlainSums(mix, taps.left[i], taps.weights[i]),
                                           PlainSums(mix, taps.left[i + 1], taps.weights[i + 1]));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(packed, packed));
  }
#endif
  for (; i < n; ++i) {
    const uint16_t* l = mix + taps.left[i];
    const uint32_t wl = taps.weights[i] & 0xFFFFu, wr = taps.weights[i] >> 16;
    uint32_t pixel = 0;
    for (int k = 0; k < 4; ++k) pixel |= ((l[k] * wl + l[k + 4] * wr + kRasterMixHalf) >> kRasterMixShift) << 8 * k;
    out[i] = pixel;
  }
}

void RowPremultiplied(const int32_t* mix, const ColumnTaps& taps, int n, uint32_t* out) {
  for (int i = Raster_ScaleRowPremultipliedWide(mix, taps.left.data(), taps.weights.data(), n, out); i < n; ++i) {
    const int32_t* l = mix + taps.left[i];
    const uint32_t wl = taps.weights[i] & 0xFFFFu, wr = taps.weights[i] >> 16;
    auto sum = [&](int k) { return static_cast<uint32_t>(l[k]) * wl + static_cast<uint32_t>(l[k + 4]) * wr; };
    const uint32_t alphaSum = sum(0);
    uint32_t pixel = 0;
    if (alphaSum != 0) {
      pixel = (alphaSum + kRasterMixHalf) >> kRasterMixShift;
      for (int k = 1; k < 4; ++k) pixel |= (sum(k) + alphaSum / 2) / alphaSum << 8 * k;
    }
    out[i] = pixel;
  }
}

// The bilinear rows of one scale: the column taps, both vertical mixes' buffers and
// each source row's shared alpha, found when first needed.
class FilteredRows {
public:
  FilteredRows(const Raster_Pixels& source, const std::vector<Taps>& cols)
      : source_(source), rowAlpha_(static_cast<size_t>(source.height), kUnknown) {
    int colHi = INT_MIN;
    for (const Taps& c : cols) {
      colLo_ = std::min(colLo_, c.first);
      colHi = std::max(colHi, c.second);
    }
    columns_ = colHi - colLo_ + 1;
    taps_ = PrepareColumns(cols, colLo_);
    wholeColumns_ =
        std::all_of(taps_.weights.begin(), taps_.weights.end(), [](uint32_t w) { return w == kRasterFracOne; });
    contiguous_ = true;
    for (size_t i = 1; i < taps_.left.size(); ++i) contiguous_ = contiguous_ && taps_.left[i] == taps_.left[i - 1] + 4;
  }

  // Destination pixels from source rows r.first and r.second.
  void row(const Taps& r, uint32_t* out) {
    const int n = static_cast<int>(taps_.left.size());
    const uint32_t* top = source_.row(r.first) + colLo_;
    const uint32_t* bottom = source_.row(r.second) + colLo_;
    if (wholeColumns_ && r.frac == 0) {
      WholeTaps(top, out, n);
      return;
    }
    const int alpha = alphaOf(r.first);
    if (alpha == 0 && alphaOf(r.second) == 0) {
      std::fill(out, out + n, 0u);
    } else if (alpha > 0 && alphaOf(r.second) == alpha) {
      // One column past the last stays zero: the mixes are read there at weight 0.
      if (plain_.empty()) plain_.resize(4 * static_cast<size_t>(columns_ + 1));
      MixPlain(top, bottom, columns_, r.frac, plain_.data());
      RowPlain(plain_.data(), taps_, n, out);
    } else {
      if (premultiplied_.empty()) premultiplied_.resize(4 * static_cast<size_t>(columns_ + 1));
      MixPremultiplied(top, bottom, columns_, r.frac, premultiplied_.data());
      RowPremultiplied(premultiplied_.data(), taps_, n, out);
    }
  }

private:
  static constexpr int kUnknown = -2;

  // Every tap falls on one source pixel (as at 1:1): the mix gives that pixel, or 0
  // where it is transparent, since its colour then has no weight.
  void WholeTaps(const uint32_t* top, uint32_t* out, int n) const {
    int i = 0;
    if (contiguous_) {
      top += taps_.left[0] / 4;
#if defined(__SSE2__)
      const __m128i alpha = _mm_set1_epi32(0xFF), zero = _mm_setzero_si128();
      for (; i + 4 <= n; i += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + i));
        const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(p, alpha), zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_andnot_si128(clear, p));
      }
#endif
      for (; i < n; ++i) out[i] = (top[i] & 0xFFu) != 0 ? top[i] : 0;
      return;
    }
    for (; i < n; ++i) {
      const uint32_t p = top[taps_.left[static_cast<size_t>(i)] / 4];
      out[i] = (p & 0xFFu) != 0 ? p : 0;
    }
  }

  int alphaOf(int y) {
    int& alpha = rowAlpha_[static_cast<size_t>(y)];
    if (alpha == kUnknown) alpha = SharedAlpha(source_.row(y) + colLo_, columns_);
    return alpha;
  }

  const Raster_Pixels source_;
  int colLo_ = INT_MAX;
  int columns_ = 0;
  ColumnTaps taps_;
  bool wholeColumns_ = false;  // every column's right tap weighs 0
  bool contiguous_ = false;    // the columns' left taps are neighbours
  std::vector<int> rowAlpha_;
  std::vector<uint16_t> plain_;
  std::vector<int32_t> premultiplied_;
};

}  // namespace

void Raster_ScaledBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                       float srcy, float srcw, float srch, float alpha, int mode) {
  const Raster_Pixels d = Raster_PixelsOf(dest);
  Raster_Pixels s = Raster_PixelsOf(src);
  if (d.empty() || s.empty() || dstw <= 0 || dsth <= 0) return;
  if (!(srcw > 0.0f) || !(srch > 0.0f) || !std::isfinite(srcx) || !std::isfinite(srcy) || !std::isfinite(srcw) ||
      !std::isfinite(srch)) {
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
  const int64_t hiX =
      std::min<int64_t>(s.width - 1, Raster_WholePixel(std::ceil(static_cast<double>(srcx) + srcw)) - 1);
  const int64_t hiY =
      std::min<int64_t>(s.height - 1, Raster_WholePixel(std::ceil(static_cast<double>(srcy) + srch)) - 1);
  if (loX > hiX || loY > hiY) return;
  // Drawing a bitmap into itself: sample from a copy, unless each pixel is drawn
  // from itself alone (the same rect at 1:1), which the rows do in place.
  const bool ontoItself = srcx == static_cast<float>(dstx) && srcy == static_cast<float>(dsty) &&
                          srcw == static_cast<float>(dstw) && srch == static_cast<float>(dsth);
  Raster_MemBitmap copy;
  if (d.bits == s.bits && !ontoItself) {
    Raster_Copy(&copy, src);
    s = Raster_PixelsOf(&copy);
  }

  const bool filtered = (mode & RASTER_MODE_FILTERED) != 0;
  const std::vector<Taps> cols = MakeTaps(to.x0 - dstx, to.x1 - dstx, srcx, static_cast<double>(srcw) / dstw,
                                          static_cast<int>(loX), static_cast<int>(hiX), filtered);
  const std::vector<Taps> rows = MakeTaps(to.y0 - dsty, to.y1 - dsty, srcy, static_cast<double>(srch) / dsth,
                                          static_cast<int>(loY), static_cast<int>(hiY), filtered);
  const int width = to.x1 - to.x0;
  // A plain copy at full opacity writes straight into the destination.
  const bool direct = rule.plainCopy() && rule.opacity == 255;
  std::vector<uint32_t> line(direct ? 0 : static_cast<size_t>(width));
  std::optional<FilteredRows> bilinear;
  if (filtered) bilinear.emplace(s, cols);
  for (int y = to.y0; y < to.y1; ++y) {
    const Taps& r = rows[static_cast<size_t>(y - to.y0)];
    uint32_t* out = direct ? d.row(y) + to.x0 : line.data();
    if (filtered) {
      bilinear->row(r, out);
    } else {
      const uint32_t* top = s.row(r.first);
      for (int i = 0; i < width; ++i) out[i] = top[cols[static_cast<size_t>(i)].first];
    }
    if (!direct) Raster_BlendRow(rule, d.row(y) + to.x0, line.data(), width);
  }
}
