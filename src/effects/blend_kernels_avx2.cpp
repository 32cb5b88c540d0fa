// AVX2 row kernels of the one-to-one blends, eight pixels at a time: the
// arithmetic of blend_kernels_sse2.cpp on 256-bit registers. The pixels
// left over after the last full step go to the SSE2 kernels.
//
// This file alone is compiled for AVX2. It must not use inline functions or
// templates that other files use too (pixel_ops.h, the standard library's):
// the linker keeps one copy of each, and it could be this file's.
#include "effects/blend_kernels.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__AVX2__)

#include <immintrin.h>

namespace {

inline __m256i odd_bytes_avx2() { return _mm256_set1_epi32(static_cast<int>(0xFF00FF00u)); }

// Here one byte shuffle puts alpha into both 16-bit halves of its pixel.
inline __m256i factors_avx2(__m256i s, __m256i k_high, bool full) {
  const __m256i alpha_twice = _mm256_setr_epi8(3, -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128,
                                               15, -128, 15, -128, 3, -128, 3, -128, 7, -128, 7, -128,
                                               11, -128, 11, -128, 15, -128, 15, -128);
  const __m256i a = _mm256_add_epi16(_mm256_shuffle_epi8(s, alpha_twice), _mm256_set1_epi16(1));
  return full ? a : _mm256_mulhi_epu16(a, k_high);
}

inline __m256i scale_bytes_avx2(__m256i p, __m256i f) {
  const __m256i rb = _mm256_mulhi_epu16(_mm256_slli_epi16(p, 8), f);
  const __m256i ga = _mm256_mulhi_epu16(_mm256_and_si256(p, odd_bytes_avx2()), f);
  return _mm256_or_si256(rb, _mm256_slli_epi16(ga, 8));
}

void alpha_row_avx2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  const bool full = k == 256;
  const __m256i k_high = _mm256_set1_epi16(static_cast<short>((k & 0xFFu) << 8));
  const __m256i c257 = _mm256_set1_epi16(257);
  const __m256i odd = odd_bytes_avx2();
  const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    const __m256i a = factors_avx2(s, k_high, full);
    const __m256i b = _mm256_sub_epi16(c257, a);
    const __m256i rb = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_slli_epi16(s, 8), a),
                                        _mm256_mulhi_epu16(_mm256_slli_epi16(d, 8), b));
    const __m256i ga = _mm256_add_epi16(_mm256_mulhi_epu16(_mm256_and_si256(s, odd), a),
                                        _mm256_mulhi_epu16(_mm256_and_si256(d, odd), b));
    const __m256i out = _mm256_or_si256(_mm256_or_si256(rb, _mm256_slli_epi16(ga, 8)), alpha);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), out);
  }
  if (i < n) blend_kernels_sse2.alpha_row(dst + i, src + i, n - i, k);
}

void add_row_avx2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  const bool full = k == 256;
  const __m256i k_high = _mm256_set1_epi16(static_cast<short>((k & 0xFFu) << 8));
  const __m256i even = _mm256_set1_epi32(0x00FEFEFE);
  const __m256i fill = _mm256_set1_epi32(static_cast<int>(0xFF010101u));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    const __m256i scaled = scale_bytes_avx2(s, factors_avx2(s, k_high, full));
    // Bit 0 of the scaled byte need not be cleared: with the destination's
    // cleared, the even sum t is at most 254 or at least 256, and adding that
    // bit cannot move it across 255, so OR 1 after saturation gives the same.
    const __m256i sum = _mm256_adds_epu8(scaled, _mm256_and_si256(d, even));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(sum, fill));
  }
  if (i < n) blend_kernels_sse2.add_row(dst + i, src + i, n - i, k);
}

void replace_row_avx2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  const __m256i k_high = _mm256_set1_epi16(static_cast<short>((k & 0xFFu) << 8));
  const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i out = scale_bytes_avx2(s, factors_avx2(s, k_high, false));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(out, alpha));
  }
  if (i < n) blend_kernels_sse2.replace_row(dst + i, src + i, n - i, k);
}

void add_colour_row_avx2(uint32_t* dst, int32_t n, uint32_t colour) {
  const __m256i even = _mm256_set1_epi32(0x00FEFEFE);
  const __m256i fill = _mm256_set1_epi32(static_cast<int>(0xFF010101u));
  const __m256i c = _mm256_set1_epi32(static_cast<int>(colour & 0x00FEFEFEu));
  int32_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m256i d0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    const __m256i d1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i + 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                        _mm256_or_si256(_mm256_adds_epu8(_mm256_and_si256(d0, even), c), fill));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 8),
                        _mm256_or_si256(_mm256_adds_epu8(_mm256_and_si256(d1, even), c), fill));
  }
  if (i < n) blend_kernels_sse2.add_colour_row(dst + i, n - i, colour);
}

}  // namespace

constinit const BlendKernels blend_kernels_avx2{alpha_row_avx2, add_row_avx2, replace_row_avx2,
                                                add_colour_row_avx2};

#endif  // x86 with AVX2
