// Eight pixels a step with AVX2 where the processor has it; the same arithmetic as
// the four-pixel path in Raster_Kernels.cpp, which finishes every row's remainder.
#include <atomic>

#include "rasteriser/Raster_Kernels.h"

#if defined(RASTER_HAS_WIDE)
#include <immintrin.h>

namespace {

std::atomic<bool> g_allowWide{true};

// d x (255 - w) + s x w as 255 d + (s - d) w modulo 2^16, then div255 (see Mix16).
RASTER_WIDE inline __m256i Mix16Wide(__m256i d, __m256i s, __m256i w) {
  const __m256i t =
      _mm256_add_epi16(_mm256_sub_epi16(_mm256_slli_epi16(d, 8), d), _mm256_mullo_epi16(_mm256_sub_epi16(s, d), w));
  return _mm256_mulhi_epu16(_mm256_add_epi16(t, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

// Eight pixels, every byte mixed by its pixel's weight (low 16 bits of each lane).
// Unpacking works within 128-bit halves, and so does the packing back.
RASTER_WIDE inline __m256i Mix8(__m256i d, __m256i s, __m256i w) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i ww = _mm256_or_si256(w, _mm256_slli_epi32(w, 16));
  const __m256i lo =
      Mix16Wide(_mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi32(ww, ww));
  const __m256i hi =
      Mix16Wide(_mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi32(ww, ww));
  return _mm256_packus_epi16(lo, hi);
}

RASTER_WIDE int CopySourceAlphaWide(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
  const __m256i alphaMask = _mm256_set1_epi32(0xFF);
  const __m256i opacity = _mm256_set1_epi32(static_cast<int>(o));
  const __m256i zero = _mm256_setzero_si256();
  const bool full = o == 255;
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i sp = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i sa = _mm256_and_si256(sp, alphaMask);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(sa, zero)) == -1) continue;
    __m256i* dp = reinterpret_cast<__m256i*>(d + i);
    if (full && _mm256_movemask_epi8(_mm256_cmpeq_epi32(sa, alphaMask)) == -1) {
      _mm256_storeu_si256(dp, sp);
      continue;
    }
    __m256i w = sa;
    if (!full) {
      w = _mm256_add_epi32(_mm256_mullo_epi16(sa, opacity), _mm256_set1_epi32(128));
      w = _mm256_srli_epi32(_mm256_add_epi32(w, _mm256_srli_epi32(w, 8)), 8);
    }
    _mm256_storeu_si256(dp, Mix8(_mm256_loadu_si256(dp), _mm256_or_si256(sp, alphaMask), w));
  }
  return i;
}

RASTER_WIDE int CopyOpacityWide(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
  const __m256i w = _mm256_set1_epi32(static_cast<int>(o));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i* dp = reinterpret_cast<__m256i*>(d + i);
    const __m256i sp = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    _mm256_storeu_si256(dp, Mix8(_mm256_loadu_si256(dp), sp, w));
  }
  return i;
}

}  // namespace

bool Raster_WideVectorsEnabled() {
  static const bool available = __builtin_cpu_supports("avx2");
  return available && g_allowWide.load(std::memory_order_relaxed);
}

int Raster_CopySourceAlphaRowWide(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
  return Raster_WideVectorsEnabled() ? CopySourceAlphaWide(d, s, n, o) : 0;
}

int Raster_CopyOpacityRowWide(uint32_t* d, const uint32_t* s, int n, uint32_t o) {
  return Raster_WideVectorsEnabled() ? CopyOpacityWide(d, s, n, o) : 0;
}

void Raster_AllowWideVectors(bool allow) { g_allowWide.store(allow, std::memory_order_relaxed); }

#else

bool Raster_WideVectorsEnabled() { return false; }
int Raster_CopySourceAlphaRowWide(uint32_t*, const uint32_t*, int, uint32_t) { return 0; }
int Raster_CopyOpacityRowWide(uint32_t*, const uint32_t*, int, uint32_t) { return 0; }
void Raster_AllowWideVectors(bool) {}

#endif
