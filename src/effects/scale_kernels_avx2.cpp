// AVX2 row kernels of the scaled path: the arithmetic of
// scale_kernels_sse2.cpp on 256-bit registers. What is left after the last
// full step goes to the SSE2 kernels.
//
// This file alone is compiled for AVX2. It must not use inline functions or
// templates that other files use too (pixel_ops.h, the standard library's):
// the linker keeps one copy of each, and it could be this file's.
#include "effects/scale_kernels.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__AVX2__)

#include <immintrin.h>

namespace {

// Nearest sampling is only loads and stores; gathers do not make it faster.
void nearest_row_avx2(uint32_t* dst, const uint32_t* row, const int32_t* col, int32_t n) {
  scale_kernels_sse2.nearest_row(dst, row, col, n);
}

// Mixes groups of four output pixels from i on, as long as each pixel's
// neighbours are a pair in memory; returns where it stopped. The
// arithmetic of mix_pairs_sse2, four pairs at a time. The pairs are loaded
// one by one: hardware gathers measured slower here.
int32_t mix_pair_groups_avx2(uint32_t* out, const uint32_t* row, const int32_t* col0, const int32_t* col1,
                             const uint32_t* fx, int32_t i, int32_t n) {
  const __m128i c256 = _mm_set1_epi16(256);
  const __m128i one = _mm_set1_epi32(1);
  const __m256i odd = _mm256_set1_epi32(static_cast<int>(0xFF00FF00u));
  const __m256i compact = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
  for (; i + 4 <= n; i += 4) {
    const __m128i c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(col0 + i));
    const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(col1 + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_add_epi32(c0, one), c1)) != 0xFFFF) break;
    const __m128i p01 = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + col0[i])),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + col0[i + 1])));
    const __m128i p23 = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + col0[i + 2])),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + col0[i + 3])));
    const __m256i pairs = _mm256_inserti128_si256(_mm256_castsi128_si256(p01), p23, 1);
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fx + i));
    const __m128i g = _mm_sub_epi16(c256, f);
    const __m256i weights =
        _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi32(g, f)), _mm_unpackhi_epi32(g, f), 1);
    __m256i rb = _mm256_mulhi_epu16(_mm256_slli_epi16(pairs, 8), weights);
    __m256i ga = _mm256_mulhi_epu16(_mm256_and_si256(pairs, odd), weights);
    rb = _mm256_add_epi16(rb, _mm256_shuffle_epi32(rb, 0xB1));
    ga = _mm256_add_epi16(ga, _mm256_shuffle_epi32(ga, 0xB1));
    const __m256i mixed = _mm256_or_si256(rb, _mm256_slli_epi16(ga, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(mixed, compact)));
  }
  return i;
}

// Groups whose neighbours are not all pairs in memory (one clamped at an
// edge of the source) go to the SSE2 kernel, outside the loop above so
// that its constants stay in registers.
void mix_columns_row_avx2(uint32_t* out, const uint32_t* row, const int32_t* col0,
                          const int32_t* col1, const uint32_t* fx, int32_t n) {
  int32_t i = mix_pair_groups_avx2(out, row, col0, col1, fx, 0, n);
  while (i + 4 <= n) {
    scale_kernels_sse2.mix_columns_row(out + i, row, col0 + i, col1 + i, fx + i, 4);
    i = mix_pair_groups_avx2(out, row, col0, col1, fx, i + 4, n);
  }
  if (i < n) scale_kernels_sse2.mix_columns_row(out + i, row, col0 + i, col1 + i, fx + i, n - i);
}

void mix_rows_row_avx2(uint32_t* dst, const uint32_t* top, const uint32_t* bottom, int32_t n,
                       uint32_t fy) {
  const __m256i odd = _mm256_set1_epi32(static_cast<int>(0xFF00FF00u));
  const __m256i f = _mm256_set1_epi16(static_cast<short>(fy));
  const __m256i g = _mm256_set1_epi16(static_cast<short>(256 - fy));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom + i));
    const __m256i rb = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_slli_epi16(t, 8), g),
                                        _mm256_mulhi_epu16(_mm256_slli_epi16(b, 8), f));
    const __m256i ga = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_and_si256(t, odd), g),
                                        _mm256_mulhi_epu16(_mm256_and_si256(b, odd), f));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(rb, _mm256_slli_epi16(ga, 8)));
  }
  if (i < n) scale_kernels_sse2.mix_rows_row(dst + i, top + i, bottom + i, n - i, fy);
}

}  // namespace

constinit const ScaleKernels scale_kernels_avx2{nearest_row_avx2, mix_columns_row_avx2, mix_rows_row_avx2};

#endif  // x86 with AVX2
