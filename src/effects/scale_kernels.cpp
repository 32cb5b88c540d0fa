// Row kernels of the scaled path, at three instruction-set levels. The
// mixes use the 16-bit lane arithmetic explained in blend_kernels.cpp:
// a byte x unpacked as x << 8 and high-multiplied by a weight w <= 256
// gives (x * w) >> 8 exactly, as lerp_bytes computes it.
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

// Mix of four pixel pairs with per-pixel weights f (each 32-bit lane f * 0x10001).
inline __m128i mix4_sse2(__m128i p, __m128i q, __m128i f) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i c256 = _mm_set1_epi16(256);
  const __m128i flo = _mm_unpacklo_epi32(f, f);
  const __m128i fhi = _mm_unpackhi_epi32(f, f);
  const __m128i lo = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(zero, p), _mm_sub_epi16(c256, flo)),
                                   _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, q), flo));
  const __m128i hi = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpackhi_epi8(zero, p), _mm_sub_epi16(c256, fhi)),
                                   _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, q), fhi));
  return _mm_packus_epi16(lo, hi);
}

void mix_columns_row_sse2(uint32_t* out, const uint32_t* row, const int32_t* col0,
                          const int32_t* col1, const uint32_t* fx, int32_t n) {
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i p = _mm_setr_epi32(static_cast<int>(row[col0[i]]), static_cast<int>(row[col0[i + 1]]),
                                     static_cast<int>(row[col0[i + 2]]), static_cast<int>(row[col0[i + 3]]));
    const __m128i q = _mm_setr_epi32(static_cast<int>(row[col1[i]]), static_cast<int>(row[col1[i + 1]]),
                                     static_cast<int>(row[col1[i + 2]]), static_cast<int>(row[col1[i + 3]]));
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fx + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), mix4_sse2(p, q, f));
  }
  for (; i < n; ++i) out[i] = lerp_bytes(row[col0[i]], row[col1[i]], fx[i] & 0xFFu);
}

void mix_rows_row_sse2(uint32_t* dst, const uint32_t* top, const uint32_t* bottom, int32_t n,
                       uint32_t fy) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i f = _mm_set1_epi16(static_cast<short>(fy));
  const __m128i g = _mm_set1_epi16(static_cast<short>(256 - fy));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + i));
    const __m128i lo = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(zero, t), g),
                                     _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, b), f));
    const __m128i hi = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpackhi_epi8(zero, t), g),
                                     _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, b), f));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(lo, hi));
  }
  for (; i < n; ++i) dst[i] = lerp_bytes(top[i], bottom[i], fy);
}

}  // namespace

// ---- AVX2 -------------------------------------------------------------------
#pragma GCC push_options
#pragma GCC target("avx2")

namespace {

void nearest_row_avx2(uint32_t* dst, const uint32_t* row, const int32_t* col, int32_t n) {
  const int* base = reinterpret_cast<const int*>(row);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i idx = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(col + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_i32gather_epi32(base, idx, 4));
  }
  for (; i < n; ++i) dst[i] = row[col[i]];
}

inline __m256i mix8_avx2(__m256i p, __m256i q, __m256i f) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i c256 = _mm256_set1_epi16(256);
  const __m256i flo = _mm256_unpacklo_epi32(f, f);
  const __m256i fhi = _mm256_unpackhi_epi32(f, f);
  const __m256i lo =
      _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, p), _mm256_sub_epi16(c256, flo)),
                       _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, q), flo));
  const __m256i hi =
      _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, p), _mm256_sub_epi16(c256, fhi)),
                       _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, q), fhi));
  return _mm256_packus_epi16(lo, hi);
}

void mix_columns_row_avx2(uint32_t* out, const uint32_t* row, const int32_t* col0,
                          const int32_t* col1, const uint32_t* fx, int32_t n) {
  const int* base = reinterpret_cast<const int*>(row);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i p = _mm256_i32gather_epi32(
        base, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(col0 + i)), 4);
    const __m256i q = _mm256_i32gather_epi32(
        base, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(col1 + i)), 4);
    const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(fx + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), mix8_avx2(p, q, f));
  }
  if (i < n) mix_columns_row_sse2(out + i, row, col0 + i, col1 + i, fx + i, n - i);
}

void mix_rows_row_avx2(uint32_t* dst, const uint32_t* top, const uint32_t* bottom, int32_t n,
                       uint32_t fy) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i f = _mm256_set1_epi16(static_cast<short>(fy));
  const __m256i g = _mm256_set1_epi16(static_cast<short>(256 - fy));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom + i));
    const __m256i lo = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, t), g),
                                        _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, b), f));
    const __m256i hi = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, t), g),
                                        _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, b), f));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_packus_epi16(lo, hi));
  }
  if (i < n) mix_rows_row_sse2(dst + i, top + i, bottom + i, n - i, fy);
}

}  // namespace

#pragma GCC pop_options

namespace {

constexpr ScaleKernels scalar_kernels{nearest_row_scalar, mix_columns_row_scalar, mix_rows_row_scalar};
constexpr ScaleKernels sse2_kernels{nearest_row_sse2, mix_columns_row_sse2, mix_rows_row_sse2};
constexpr ScaleKernels avx2_kernels{nearest_row_avx2, mix_columns_row_avx2, mix_rows_row_avx2};

}  // namespace

const ScaleKernels& scale_kernels() {
  switch (simd_level()) {
    case SimdLevel::scalar: return scalar_kernels;
    case SimdLevel::avx2: return avx2_kernels;
    case SimdLevel::sse2: break;
  }
  return sse2_kernels;
}
