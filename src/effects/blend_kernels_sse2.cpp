// SSE2 row kernels of the one-to-one blends, four pixels at a time.
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

#if defined(__SSE2__)

#include <emmintrin.h>

#include "effects/pixel_ops.h"

namespace {

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

constinit const BlendKernels blend_kernels_sse2{alpha_row_sse2, add_row_sse2, replace_row_sse2,
                                                add_colour_row_sse2};

#endif  // __SSE2__
