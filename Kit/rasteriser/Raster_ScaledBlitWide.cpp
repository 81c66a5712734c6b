// Filtered scaling, eight pixels a step with AVX2 where the processor has it; the
// same arithmetic as the plain rows in Raster_ScaledBlit.cpp, which finish each row.
#include "rasteriser/Raster_Kernels.h"
#include "rasteriser/Raster_ScaleRows.h"

#if defined(RASTER_HAS_WIDE)
#include <immintrin.h>

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixel bytes are read in memory order");

RASTER_WIDE inline __m256i Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
RASTER_WIDE inline void Store(void* p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
RASTER_WIDE inline __m128i Load128(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }

// Lane j of every four: the value of lane j in the low half, j + 4 in the high one.
RASTER_WIDE inline __m256i Spread(__m256i v, int j) {
  return _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(j, j, j, j, j + 4, j + 4, j + 4, j + 4));
}

RASTER_WIDE int AlphaRun(const uint32_t* p, int n, uint32_t alpha) {
  const __m256i mask = _mm256_set1_epi32(0xFF), want = _mm256_set1_epi32(static_cast<int>(alpha));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i a = _mm256_and_si256(Load(p + i), mask);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, want)) != -1) break;
  }
  return i;
}

RASTER_WIDE int WideMixPlain(const uint32_t* top, const uint32_t* bottom, int n, uint32_t fy, uint16_t* out) {
  int i = 0;
  if (fy == 0) {  // 128 does not fit the signed byte weights below
    for (; i + 8 <= n; i += 8) {
      Store(out + 4 * i, _mm256_slli_epi16(_mm256_cvtepu8_epi16(Load128(top + i)), kRasterFracBits));
      Store(out + 4 * i + 16, _mm256_slli_epi16(_mm256_cvtepu8_epi16(Load128(top + i + 4)), kRasterFracBits));
    }
    return i;
  }
  // Byte pairs (top, bottom) times (128 - fy, fy), summed.
  const __m256i weights = _mm256_set1_epi16(static_cast<short>(fy << 8 | (kRasterFracOne - fy)));
  for (; i + 8 <= n; i += 8) {
    // Pixels 0 1 4 5 | 2 3 6 7, so that unpacking gives 0-3 and 4-7 in order.
    const __m256i t = _mm256_permute4x64_epi64(Load(top + i), 0xD8);
    const __m256i b = _mm256_permute4x64_epi64(Load(bottom + i), 0xD8);
    Store(out + 4 * i, _mm256_maddubs_epi16(_mm256_unpacklo_epi8(t, b), weights));
    Store(out + 4 * i + 16, _mm256_maddubs_epi16(_mm256_unpackhi_epi8(t, b), weights));
  }
  return i;
}

RASTER_WIDE int WideRowPlain(const uint16_t* mix, const int32_t* left, const uint32_t* weights, int n, uint32_t* out) {
  // Within each half: channel k of the left column beside channel k of the right one.
  const __m256i pairUp = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0, 1, 8, 9, 2, 3, 10,
                                          11, 4, 5, 12, 13, 6, 7, 14, 15);
  const __m256i half = _mm256_set1_epi32(kRasterMixHalf);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i w = Load(weights + i);
    __m256i sums[4];  // pixels j | j + 4
#pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) {
      const __m256i columns = _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(mix + left[i + j])),
                                                      Load128(mix + left[i + j + 4]), 1);
      // The mixes are below 32768, so the signed multiply-add is exact.
      const __m256i sum = _mm256_madd_epi16(_mm256_shuffle_epi8(columns, pairUp), Spread(w, j));
      sums[j] = _mm256_srli_epi32(_mm256_add_epi32(sum, half), kRasterMixShift);
    }
    Store(out + i, _mm256_packus_epi16(_mm256_packs_epi32(sums[0], sums[1]), _mm256_packs_epi32(sums[2], sums[3])));
  }
  return i;
}

RASTER_WIDE int WideMixPremultiplied(const uint32_t* top, const uint32_t* bottom, int n, uint32_t fy, int32_t* out) {
  const __m256i rowWeights = _mm256_set1_epi32(static_cast<int>(fy << 16 | (kRasterFracOne - fy)));
  const __m256i zero = _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i t = Load(top + i), b = Load(bottom + i);
    const __m256i lo = _mm256_unpacklo_epi8(t, b), hi = _mm256_unpackhi_epi8(t, b);
    // Each half one pixel, 16-bit (top, bottom) pairs per channel: pixels j | j + 4.
    const __m256i pairs[4] = {_mm256_unpacklo_epi8(lo, zero), _mm256_unpackhi_epi8(lo, zero),
                              _mm256_unpacklo_epi8(hi, zero), _mm256_unpackhi_epi8(hi, zero)};
    __m256i sums[4];
#pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) {
      // (top alpha x (128 - fy), bottom alpha x fy) weigh the colour pairs, (128 - fy,
      // fy) the alpha pair; all below 32768, so the signed multiply-add is exact.
      const __m256i alphaWeights = _mm256_shuffle_epi32(_mm256_mullo_epi16(pairs[j], rowWeights), 0);
      sums[j] = _mm256_madd_epi16(pairs[j], _mm256_blend_epi32(alphaWeights, rowWeights, 0x11));
    }
    Store(out + 4 * i, _mm256_permute2x128_si256(sums[0], sums[1], 0x20));
    Store(out + 4 * i + 8, _mm256_permute2x128_si256(sums[2], sums[3], 0x20));
    Store(out + 4 * i + 16, _mm256_permute2x128_si256(sums[0], sums[1], 0x31));
    Store(out + 4 * i + 24, _mm256_permute2x128_si256(sums[2], sums[3], 0x31));
  }
  return i;
}

// floor(n / d) for 0 <= n < 2^31, 1 <= d < 2^23, quotients below 2^8: the reciprocal
// estimate is within 1/1000 of the quotient, so its truncation is off by at most one,
// which the remainder mends.
RASTER_WIDE inline __m256i Quotient(__m256i n, __m256i d, __m256 inverse, __m256i dLess1) {
  const __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(n), inverse));
  const __m256i rest = _mm256_sub_epi32(n, _mm256_mullo_epi32(q, d));
  const __m256i under = _mm256_cmpgt_epi32(_mm256_setzero_si256(), rest);  // -1: one too many
  const __m256i over = _mm256_cmpgt_epi32(rest, dLess1);                   // -1: one too few
  return _mm256_sub_epi32(_mm256_add_epi32(q, under), over);
}

// Eight straight pixels from their alpha sums and colour sums.
RASTER_WIDE inline __m256i Straight(__m256i alphaSum, __m256i c1, __m256i c2, __m256i c3) {
  const __m256i half = _mm256_set1_epi32(kRasterMixHalf);
  const __m256i channels[3] = {c1, c2, c3};
  if (_mm256_testz_si256(alphaSum, alphaSum)) return _mm256_setzero_si256();
  __m256i pixel = _mm256_srli_epi32(_mm256_add_epi32(alphaSum, half), kRasterMixShift);
  if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alphaSum, _mm256_set1_epi32(255 << kRasterMixShift))) == -1) {
    // Every tap that counts is opaque, so the colour sums are 255 times the plain
    // ones: divided exactly by multiplying with the inverse of 255 modulo 2^32.
    const __m256i inverse255 = _mm256_set1_epi32(static_cast<int>(0xFEFEFEFFu));
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
      const __m256i plain = _mm256_mullo_epi32(channels[k], inverse255);
      const __m256i c = _mm256_srli_epi32(_mm256_add_epi32(plain, half), kRasterMixShift);
      pixel = _mm256_or_si256(pixel, _mm256_slli_epi32(c, 8 * (k + 1)));
    }
    return pixel;
  }
  // A zero alpha sum has zero colour sums: divided by 1 they give 0.
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i d = _mm256_max_epi32(alphaSum, one), dLess1 = _mm256_sub_epi32(d, one);
  const __m256 inverse = _mm256_rcp_ps(_mm256_cvtepi32_ps(d));
  const __m256i halfSum = _mm256_srli_epi32(alphaSum, 1);
#pragma GCC unroll 3
  for (int k = 0; k < 3; ++k) {
    const __m256i q = Quotient(_mm256_add_epi32(channels[k], halfSum), d, inverse, dLess1);
    pixel = _mm256_or_si256(pixel, _mm256_slli_epi32(q, 8 * (k + 1)));
  }
  return pixel;
}

RASTER_WIDE int WideRowPremultiplied(const int32_t* mix, const int32_t* left, const uint32_t* weights, int n,
                                     uint32_t* out) {
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i fx = _mm256_srli_epi32(Load(weights + i), 16);
    __m256i sums[4];  // pixels j | j + 4: alpha sum and colour sums
#pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) {
      const __m256i first = Load(mix + left[i + j]), second = Load(mix + left[i + j + 4]);
      const __m256i l = _mm256_permute2x128_si256(first, second, 0x20);
      const __m256i r = _mm256_permute2x128_si256(first, second, 0x31);
      // l x (128 - fx) + r x fx; every sum is below 2^31.
      sums[j] = _mm256_add_epi32(_mm256_slli_epi32(l, kRasterFracBits),
                                 _mm256_mullo_epi32(_mm256_sub_epi32(r, l), Spread(fx, j)));
    }
    // One register per channel, pixels 0-7 in order.
    const __m256i t0 = _mm256_unpacklo_epi32(sums[0], sums[1]), t1 = _mm256_unpackhi_epi32(sums[0], sums[1]);
    const __m256i t2 = _mm256_unpacklo_epi32(sums[2], sums[3]), t3 = _mm256_unpackhi_epi32(sums[2], sums[3]);
    const __m256i alphaSum = _mm256_unpacklo_epi64(t0, t2);
    const __m256i c1 = _mm256_unpackhi_epi64(t0, t2), c2 = _mm256_unpacklo_epi64(t1, t3);
    const __m256i c3 = _mm256_unpackhi_epi64(t1, t3);
    Store(out + i, Straight(alphaSum, c1, c2, c3));
  }
  return i;
}

}  // namespace

int Raster_ScaleAlphaRunWide(const uint32_t* p, int n, uint32_t alpha) {
  return Raster_WideVectorsEnabled() ? AlphaRun(p, n, alpha) : 0;
}
int Raster_ScaleMixPlainWide(const uint32_t* top, const uint32_t* bottom, int n, uint32_t fy, uint16_t* out) {
  return Raster_WideVectorsEnabled() ? WideMixPlain(top, bottom, n, fy, out) : 0;
}
int Raster_ScaleRowPlainWide(const uint16_t* mix, const int32_t* left, const uint32_t* weights, int n, uint32_t* out) {
  return Raster_WideVectorsEnabled() ? WideRowPlain(mix, left, weights, n, out) : 0;
}
int Raster_ScaleMixPremultipliedWide(const uint32_t* top, const uint32_t* bottom, int n, uint32_t fy, int32_t* out) {
  return Raster_WideVectorsEnabled() ? WideMixPremultiplied(top, bottom, n, fy, out) : 0;
}
int Raster_ScaleRowPremultipliedWide(const int32_t* mix, const int32_t* left, const uint32_t* weights, int n,
                                     uint32_t* out) {
  return Raster_WideVectorsEnabled() ? WideRowPremultiplied(mix, left, weights, n, out) : 0;
}

#else

int Raster_ScaleAlphaRunWide(const uint32_t*, int, uint32_t) { return 0; }
int Raster_ScaleMixPlainWide(const uint32_t*, const uint32_t*, int, uint32_t, uint16_t*) { return 0; }
int Raster_ScaleRowPlainWide(const uint16_t*, const int32_t*, const uint32_t*, int, uint32_t*) { return 0; }
int Raster_ScaleMixPremultipliedWide(const uint32_t*, const uint32_t*, int, uint32_t, int32_t*) { return 0; }
int Raster_ScaleRowPremultipliedWide(const int32_t*, const int32_t*, const uint32_t*, int, uint32_t*) { return 0; }

#endif
