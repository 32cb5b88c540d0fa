// Row kernels of the scaled path, at three instruction-set levels. The
// mixes use the 16-bit lane arithmetic explained in blend_kernels.cpp:
// a byte x held as x << 8 and high-multiplied by a weight w <= 256 gives
// (x * w) >> 8 exactly, as lerp_bytes computes it.
#include "effects/scale_kernels.h"

#include <emmintrin.h>
#include <immintrin.h>

#include "effects/kernel_dispatch.h"
#include "effects/pixel_ops.h"

namespace {

// ---- scalar reference loops -------------------------------------------------

void nearest_row_scalar(uint32_t* dst, const uint32_t* row, const int32_t* col, int32_t n) {
  for (int32_t i = 0; i < n; ++i) dst[i] = row[col[i]];
}

void mix_columns_row_scalar(uint32_t* out, const uint32_t* row, const int32_t* col0,
                            const int32_t* col1, const uint32_t* fx, int32_t n) {
  for (int32_t i = 0; i < n; ++i) out[i] = lerp_bytes(row[col0[i]], row[col1[i]], fx[i] & 0xFFu);
}

void mix_rows_row_scalar(uint32_t* dst, const uint32_t* top, const uint32_t* bottom, int32_t n,
                         uint32_t fy) {
  for (int32_t i = 0; i < n; ++i) dst[i] = lerp_bytes(top[i], bottom[i], fy);
}

// ---- SSE2 -------------------------------------------------------------------

void nearest_row_sse2(uint32_t* dst, const uint32_t* row, const int32_t* col, int32_t n) {
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i v = _mm_setr_epi32(static_cast<int>(row[col[i]]), static_cast<int>(row[col[i + 1]]),
                                     static_cast<int>(row[col[i + 2]]), static_cast<int>(row[col[i + 3]]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), v);
  }
  for (; i < n; ++i) dst[i] = row[col[i]];
}

// Two output pixels whose neighbours are adjacent in the source row: each
// pair P0, P1 comes with one 64-bit load, the weights are laid out as
// (256 - f) over P0's channels and f over P1's, and the two products of a
// channel are added by swapping the pair's halves. Blue/red and green/alpha
// sit in separate 16-bit lanes (x << 8), as in blend_kernels.cpp.
inline __m128i mix_pairs_sse2(__m128i pairs, __m128i weights) {
  const __m128i odd = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
  __m128i rb = _mm_mulhi_epu16(_mm_slli_epi16(pairs, 8), weights);
  __m128i ga = _mm_mulhi_epu16(_mm_and_si128(pairs, odd), weights);
  rb = _mm_add_epi16(rb, _mm_shuffle_epi32(rb, 0xB1));
  ga = _mm_add_epi16(ga, _mm_shuffle_epi32(ga, 0xB1));
  return _mm_or_si128(rb, _mm_slli_epi16(ga, 8));  // results in dwords 0 and 2
}

void mix_columns_row_sse2(uint32_t* out, const uint32_t* row, const int32_t* col0,
                          const int32_t* col1, const uint32_t* fx, int32_t n) {
  const __m128i c256 = _mm_set1_epi16(256);
  int32_t i = 0;
  for (; i + 2 <= n; i += 2) {
    if (col1[i] != col0[i] + 1 || col1[i + 1] != col0[i + 1] + 1) {
      // A neighbour clamped at the source's right edge: not a pair in memory.
      out[i] = lerp_bytes(row[col0[i]], row[col1[i]], fx[i] & 0xFFu);
      out[i + 1] = lerp_bytes(row[col0[i + 1]], row[col1[i + 1]], fx[i + 1] & 0xFFu);
      continue;
    }
    const __m128i pairs =
        _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + col0[i])),
                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + col0[i + 1])));
    const __m128i f = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(fx + i));
    const __m128i weights = _mm_unpacklo_epi32(_mm_sub_epi16(c256, f), f);
    const __m128i mixed = mix_pairs_sse2(pairs, weights);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_shuffle_epi32(mixed, 0x08));
  }
  for (; i < n; ++i) out[i] = lerp_bytes(row[col0[i]], row[col1[i]], fx[i] & 0xFFu);
}

void mix_rows_row_sse2(uint32_t* dst, const uint32_t* top, const uint32_t* bottom, int32_t n,
                       uint32_t fy) {
  const __m128i odd = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
  const __m128i f = _mm_set1_epi16(static_cast<short>(fy));
  const __m128i g = _mm_set1_epi16(static_cast<short>(256 - fy));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + i));
    const __m128i rb = _mm_add_epi16(_mm_mulhi_epu16(_mm_slli_epi16(t, 8), g),
                                     _mm_mulhi_epu16(_mm_slli_epi16(b, 8), f));
    const __m128i ga = _mm_add_epi16(_mm_mulhi_epu16(_mm_and_si128(t, odd), g),
                                     _mm_mulhi_epu16(_mm_and_si128(b, odd), f));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(rb, _mm_slli_epi16(ga, 8)));
  }
  for (; i < n; ++i) dst[i] = lerp_bytes(top[i], bottom[i], fy);
}

}  // namespace

// ---- AVX2 -------------------------------------------------------------------
#if defined(__x86_64__) || defined(__i386__)
#pragma GCC push_options
#pragma GCC target("avx2")

namespace {

// Four pairs at a time, the arithmetic of mix_pairs_sse2. The pairs are
// loaded one by one: hardware gathers measured slower here.
void mix_columns_row_avx2(uint32_t* out, const uint32_t* row, const int32_t* col0,
                          const int32_t* col1, const uint32_t* fx, int32_t n) {
  const __m128i c256 = _mm_set1_epi16(256);
  const __m128i one = _mm_set1_epi32(1);
  const __m256i odd = _mm256_set1_epi32(static_cast<int>(0xFF00FF00u));
  const __m256i compact = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(col0 + i));
    const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(col1 + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_add_epi32(c0, one), c1)) != 0xFFFF) {
      // A neighbour clamped at the source's right edge: not a pair in memory.
      for (int32_t j = i; j < i + 4; ++j) out[j] = lerp_bytes(row[col0[j]], row[col1[j]], fx[j] & 0xFFu);
      continue;
    }
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
  if (i < n) mix_columns_row_sse2(out + i, row, col0 + i, col1 + i, fx + i, n - i);
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
  if (i < n) mix_rows_row_sse2(dst + i, top + i, bottom + i, n - i, fy);
}

}  // namespace

#pragma GCC pop_options
#endif

namespace {

constexpr ScaleKernels scalar_kernels{nearest_row_scalar, mix_columns_row_scalar, mix_rows_row_scalar};
constexpr ScaleKernels sse2_kernels{nearest_row_sse2, mix_columns_row_sse2, mix_rows_row_sse2};
// Nearest sampling is only loads and stores; gathers do not make it faster.
#if defined(__x86_64__) || defined(__i386__)
constexpr ScaleKernels avx2_kernels{nearest_row_sse2, mix_columns_row_avx2, mix_rows_row_avx2};
#else
// Only x86 has AVX2; elsewhere that level is never selected.
constexpr ScaleKernels avx2_kernels = sse2_kernels;
#endif

}  // namespace

const ScaleKernels& scale_kernels() {
  switch (simd_level()) {
    case SimdLevel::scalar: return scalar_kernels;
    case SimdLevel::avx2: return avx2_kernels;
    case SimdLevel::sse2: break;
  }
  return sse2_kernels;
}
