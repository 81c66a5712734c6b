#include "rasteriser/Raster_Kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

Raster_Pixels Raster_PixelsOf(Raster_IBitmap* bitmap) {
  Raster_Pixels pixels;
  if (!bitmap) return pixels;
  uint32_t* bits = bitmap->getBits();
  const int width = bitmap->getWidth(), height = bitmap->getHeight();
  const int span = bitmap->getRowSpan();
  if (!bits || width <= 0 || height <= 0 || span < width) return pixels;
  pixels.bits = bits;
  pixels.width = width;
  pixels.height = height;
  pixels.span = span;
  return pixels;
}

Raster_BlendSpec Raster_ParseBlend(float alpha, int mode) {
  Raster_BlendSpec rule;
  const int op = mode & 0xFF;
  rule.op = (op == kRasterAdd || op == kRasterDodge) ? op : kRasterCopy;
  rule.sourceAlpha = (mode & RASTER_MODE_SOURCE_ALPHA) != 0;
  rule.opacity = Raster_Opacity(alpha);
  return rule;
}

bool Raster_ClipRect(long x, long y, long w, long h, int width, int height, Raster_Span* out) {
  if (w <= 0 || h <= 0) return false;
  const long x0 = std::max(x, 0L), y0 = std::max(y, 0L);
  const long x1 = std::min(x + w, static_cast<long>(width));
  const long y1 = std::min(y + h, static_cast<long>(height));
  if (x0 >= x1 || y0 >= y1) return false;
  *out = Raster_Span{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
  return true;
}

namespace {

template <int Op, bool SourceAlpha>
void BlendRowScalar(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
  for (int i = 0; i < n; ++i) {
    const uint32_t sp = s[i];
    const uint32_t w = SourceAlpha ? Raster_Div255(o * (sp & 0xFFu)) : o;
    if (w == 0) continue;
    const uint32_t prepared = (Op == kRasterCopy && !SourceAlpha) ? sp : (sp | 0xFFu);
    d[i] = Raster_Combine<Op>(d[i], prepared, w);
  }
}

#if defined(__SSE2__)
// d x (255 - w) + s x w, then div255, on eight 16-bit lanes. The sum is written
// 255 d + (s - d) w and worked modulo 2^16: it lies in 0..65025, so the wrapped
// intermediate values still give it exactly, with one multiply instead of two.
inline __m128i Mix16(__m128i d, __m128i s, __m128i w) {
  const __m128i t = _mm_add_epi16(_mm_sub_epi16(_mm_slli_epi16(d, 8), d), _mm_mullo_epi16(_mm_sub_epi16(s, d), w));
  // (t + 128) x 257 >> 16 is div255 exactly for these sums.
  return _mm_mulhi_epu16(_mm_add_epi16(t, _mm_set1_epi16(128)), _mm_set1_epi16(257));
}

// Four pixels: every byte mixed by its pixel's weight (w in the low 16 bits of
// each 32-bit lane).
inline __m128i Mix4(__m128i d, __m128i s, __m128i w) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i ww = _mm_or_si128(w, _mm_slli_epi32(w, 16));
  const __m128i lo = Mix16(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi32(ww, ww));
  const __m128i hi = Mix16(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi32(ww, ww));
  return _mm_packus_epi16(lo, hi);
}

// Copy weighted by source alpha, four pixels a step; runs of fully opaque or fully
// transparent pixels are stored or skipped without arithmetic.
void CopySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
  const __m128i alphaMask = _mm_set1_epi32(0xFF);
  const __m128i opacity = _mm_set1_epi32(static_cast<int>(o));
  const __m128i zero = _mm_setzero_si128();
  const bool full = o == 255;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i sa = _mm_and_si128(sp, alphaMask);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(sa, zero)) == 0xFFFF) continue;
    if (full && _mm_movemask_epi8(_mm_cmpeq_epi32(sa, alphaMask)) == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), sp);
      continue;
    }
    __m128i w = sa;
    if (!full) {
      w = _mm_add_epi32(_mm_mullo_epi16(sa, opacity), _mm_set1_epi32(128));
      w = _mm_srli_epi32(_mm_add_epi32(w, _mm_srli_epi32(w, 8)), 8);
    }
    __m128i* dp = reinterpret_cast<__m128i*>(d + i);
    _mm_storeu_si128(dp, Mix4(_mm_loadu_si128(dp), _mm_or_si128(sp, alphaMask), w));
  }
  BlendRowScalar<kRasterCopy, true>(d + i, s + i, n - i, o);
}

// Plain copy at an opacity below 1: every byte of every pixel mixed by o.
void CopyOpacityRow(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
  const __m128i w = _mm_set1_epi32(static_cast<int>(o));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i* dp = reinterpret_cast<__m128i*>(d + i);
    const __m128i sp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    _mm_storeu_si128(dp, Mix4(_mm_loadu_si128(dp), sp, w));
  }
  BlendRowScalar<kRasterCopy, false>(d + i, s + i, n - i, o);
}
#else
void CopySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
  BlendRowScalar<kRasterCopy, true>(d, s, n, o);
}
void CopyOpacityRow(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
  BlendRowScalar<kRasterCopy, false>(d, s, n, o);
}
#endif

}  // namespace

void Raster_BlendRow(const Raster_BlendSpec& rule, uint32_t* d, const uint32_t* s, int n) {
  const uint32_t o = rule.opacity;
  if (o == 0 || n <= 0) return;
  switch (rule.op) {
    case kRasterCopy:
      if (!rule.sourceAlpha && o == 255) {
        std::copy(s, s + n, d);
      } else if (!rule.sourceAlpha) {
        const int done = Raster_CopyOpacityRowWide(d, s, n, o);
        CopyOpacityRow(d + done, s + done, n - done, o);
      } else {
        const int done = Raster_CopySourceAlphaRowWide(d, s, n, o);
        CopySourceAlphaRow(d + done, s + done, n - done, o);
      }
      break;
    case kRasterAdd:
      if (rule.sourceAlpha)
        BlendRowScalar<kRasterAdd, true>(d, s, n, o);
      else
        BlendRowScalar<kRasterAdd, false>(d, s, n, o);
      break;
    default:
      if (rule.sourceAlpha)
        BlendRowScalar<kRasterDodge, true>(d, s, n, o);
      else
        BlendRowScalar<kRasterDodge, false>(d, s, n, o);
      break;
  }
}

Raster_ColorBlend Raster_PrepareColor(const Raster_BlendSpec& rule, uint32_t color) {
  Raster_ColorBlend blend;
  blend.op = rule.op;
  blend.source = rule.plainCopy() ? color : (color | 0xFFu);
  blend.weight = rule.sourceAlpha ? Raster_Div255(rule.opacity * (color & 0xFFu)) : rule.opacity;
  return blend;
}

namespace {
template <int Op>
void ColorRow(uint32_t* d, int n, uint32_t s, uint32_t w) {
  for (int i = 0; i < n; ++i) d[i] = Raster_Combine<Op>(d[i], s, w);
}
}  // namespace

void Raster_BlendColorRow(const Raster_ColorBlend& blend, uint32_t* d, int n) {
  if (blend.weight == 0 || n <= 0) return;
  switch (blend.op) {
    case kRasterCopy:
      if (blend.weight == 255)
        std::fill(d, d + n, blend.source);
      else
        ColorRow<kRasterCopy>(d, n, blend.source, blend.weight);
      break;
    case kRasterAdd: ColorRow<kRasterAdd>(d, n, blend.source, blend.weight); break;
    default: ColorRow<kRasterDodge>(d, n, blend.source, blend.weight); break;
  }
}

void Raster_BlendColorPixel(const Raster_ColorBlend& blend, uint32_t* d, uint32_t coverage) {
  const uint32_t w = coverage >= 255 ? blend.weight : Raster_Div255(blend.weight * coverage);
  if (w == 0) return;
  switch (blend.op) {
    case kRasterCopy: *d = Raster_Combine<kRasterCopy>(*d, blend.source, w); break;
    case kRasterAdd: *d = Raster_Combine<kRasterAdd>(*d, blend.source, w); break;
    default: *d = Raster_Combine<kRasterDodge>(*d, blend.source, w); break;
  }
}
