// Row kernels of the one-to-one blends, at three instruction-set levels.
//
// The SIMD forms work on channels held in 16-bit lanes. A channel x is
// placed in the high byte of its lane (x << 8, at most 0xFF00), so that
// an unsigned high multiply by a factor f <= 257 gives
// (x * 256 * f) >> 16 = (x * f) >> 8 directly: the product is at most
// 0xFF00 * 257 = 0xFFFF00 and keeps all its high bits. That is exactly the
// scalar (v * f) >> 8 of every rule here, so the results are identical.
//
// The per-pixel factor a = ((alpha + 1) * k) >> 8 is formed in the 32-bit
// lane of its pixel: for k <= 255 as a high multiply of alpha + 1 (<= 256)
// by k << 8 (<= 0xFF00), for k = 256 it is alpha + 1 itself (the product
// 65536 would not fit a 16-bit lane). It is then copied to both 16-bit
// halves of its pixel.
#include "effects/blend_kernels.h"

#include <emmintrin.h>
#include <immintrin.h>

#include "effects/kernel_dispatch.h"
#include "effects/pixel_ops.h"

namespace {

// ---- scalar reference loops -------------------------------------------------

void alpha_row_scalar(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  for (int32_t i = 0; i < n; ++i) dst[i] = alpha_blend(src[i], dst[i], k);
}

void add_row_scalar(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  for (int32_t i = 0; i < n; ++i) dst[i] = additive_blend(src[i], dst[i], k);
}

void replace_row_scalar(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  for (int32_t i = 0; i < n; ++i) dst[i] = scaled_replace(src[i], k);
}

void add_colour_row_scalar(uint32_t* dst, int32_t n, uint32_t colour) {
  for (int32_t i = 0; i < n; ++i) dst[i] = saturating_add(dst[i], colour);
}

// ---- SSE2, four pixels at a time --------------------------------------------
// Channels are spread over 16-bit lanes without shuffles: shifting each
// 16-bit lane left by 8 leaves blue and red as x << 8, masking with 0xFF00
// leaves green and alpha as x << 8. A pixel's factor sits in both 16-bit
// halves of its 32-bit lane, so it meets all four channels. The results
// (<= 255) come back as rb | ga << 8.

inline __m128i odd_bytes_sse2() { return _mm_set1_epi32(static_cast<int>(0xFF00FF00u)); }

// Blend factor a of each pixel in both 16-bit halves of its lane.
inline __m128i factors_sse2(__m128i s, __m128i k_high, bool full) {
  __m128i a = _mm_add_epi32(_mm_srli_epi32(s, 24), _mm_set1_epi32(1));
  if (!full) a = _mm_mulhi_epu16(a, k_high);
  return _mm_or_si128(a, _mm_slli_epi32(a, 16));
}

// Every byte x of p becomes (x * f) >> 8, f taken from the 16-bit lane.
inline __m128i scale_bytes_sse2(__m128i p, __m128i f) {
  const __m128i rb = _mm_mulhi_epu16(_mm_slli_epi16(p, 8), f);
  const __m128i ga = _mm_mulhi_epu16(_mm_and_si128(p, odd_bytes_sse2()), f);
  return _mm_or_si128(rb, _mm_slli_epi16(ga, 8));
}

void alpha_row_sse2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  const bool full = k == 256;
  const __m128i k_high = _mm_set1_epi32(static_cast<int>((k & 0xFFu) << 8));
  const __m128i c257 = _mm_set1_epi16(257);
  const __m128i odd = odd_bytes_sse2();
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i a = factors_sse2(s, k_high, full);
    const __m128i b = _mm_sub_epi16(c257, a);
    // The two terms of a byte sum to at most 255: added in their lanes.
    const __m128i rb = _mm_add_epi16(_mm_mulhi_epu16(_mm_slli_epi16(s, 8), a),
                                     _mm_mulhi_epu16(_mm_slli_epi16(d, 8), b));
    const __m128i ga = _mm_add_epi16(_mm_mulhi_epu16(_mm_and_si128(s, odd), a),
                                     _mm_mulhi_epu16(_mm_and_si128(d, odd), b));
    const __m128i out = _mm_or_si128(_mm_or_si128(rb, _mm_slli_epi16(ga, 8)), alpha);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
  for (; i < n; ++i) dst[i] = alpha_blend(src[i], dst[i], k);
}

void add_row_sse2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  const bool full = k == 256;
  const __m128i k_high = _mm_set1_epi32(static_cast<int>((k & 0xFFu) << 8));
  const __m128i even = _mm_set1_epi32(0x00FEFEFE);
  const __m128i fill = _mm_set1_epi32(static_cast<int>(0xFF010101u));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i scaled = scale_bytes_sse2(s, factors_sse2(s, k_high, full));
    // (x & 0xFE) + (y & 0xFE) saturated to 255, then bit 0 set: an even sum
    // below 256 becomes sum + 1, an overflowed one 255.
    // Bit 0 of the scaled byte need not be cleared: with the destination's
    // cleared, the even sum t is at most 254 or at least 256, and adding that
    // bit cannot move it across 255, so OR 1 after saturation gives the same.
    const __m128i sum = _mm_adds_epu8(scaled, _mm_and_si128(d, even));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(sum, fill));
  }
  for (; i < n; ++i) dst[i] = additive_blend(src[i], dst[i], k);
}

void replace_row_sse2(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  const __m128i k_high = _mm_set1_epi32(static_cast<int>((k & 0xFFu) << 8));
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i out = scale_bytes_sse2(s, factors_sse2(s, k_high, false));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(out, alpha));
  }
  for (; i < n; ++i) dst[i] = scaled_replace(src[i], k);
}

void add_colour_row_sse2(uint32_t* dst, int32_t n, uint32_t colour) {
  const __m128i even = _mm_set1_epi32(0x00FEFEFE);
  const __m128i fill = _mm_set1_epi32(static_cast<int>(0xFF010101u));
  const __m128i c = _mm_set1_epi32(static_cast<int>(colour & 0x00FEFEFEu));
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                     _mm_or_si128(_mm_adds_epu8(_mm_and_si128(d0, even), c), fill));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 4),
                     _mm_or_si128(_mm_adds_epu8(_mm_and_si128(d1, even), c), fill));
  }
  for (; i < n; ++i) dst[i] = saturating_add(dst[i], colour);
}

}  // namespace

// ---- AVX2, eight pixels at a time -------------------------------------------
#if defined(__x86_64__) || defined(__i386__)
// The same arithmetic as the SSE2 forms on 256-bit registers.
#pragma GCC push_options
#pragma GCC target("avx2")

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
  if (i < n) alpha_row_sse2(dst + i, src + i, n - i, k);
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
  if (i < n) add_row_sse2(dst + i, src + i, n - i, k);
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
  if (i < n) replace_row_sse2(dst + i, src + i, n - i, k);
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
  if (i < n) add_colour_row_sse2(dst + i, n - i, colour);
}

}  // namespace

#pragma GCC pop_options
#endif

namespace {

constexpr BlendKernels scalar_kernels{alpha_row_scalar, add_row_scalar, replace_row_scalar,
                                      add_colour_row_scalar};
constexpr BlendKernels sse2_kernels{alpha_row_sse2, add_row_sse2, replace_row_sse2,
                                    add_colour_row_sse2};
#if defined(__x86_64__) || defined(__i386__)
constexpr BlendKernels avx2_kernels{alpha_row_avx2, add_row_avx2, replace_row_avx2,
                                    add_colour_row_avx2};
#else
// Only x86 has AVX2; elsewhere that level is never selected.
constexpr BlendKernels avx2_kernels = sse2_kernels;
#endif

}  // namespace

const BlendKernels& blend_kernels() {
  switch (simd_level()) {
    case SimdLevel::scalar: return scalar_kernels;
    case SimdLevel::avx2: return avx2_kernels;
    case SimdLevel::sse2: break;
  }
  return sse2_kernels;
}
