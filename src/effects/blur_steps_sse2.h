// The SSE2 steps of the vector box blur, shared by blur_kernels_sse2.cpp
// and blur_kernels_avx2.cpp (whose rows end with them). They are in an
// unnamed namespace: each of those files compiles its own copy with its own
// instruction set, and no copy can stand in for another at link time.
//
// How the vector kernels get the clamped-window average cheaply:
//
// Sums live in 16-bit lanes, one lane per channel, four lanes per pixel.
// Lane arithmetic wraps modulo 2^16, but every window sum itself is below
// 2^16 (n <= 257), so any chain of additions and subtractions whose true
// result is a window sum yields that sum exactly, whatever the intermediate
// values wrapped to.
//
// Horizontal: each row is extended to the left by (n - 1) / 2 copies of its
// first pixel and to the right by n / 2 copies of its last; q[i] is the
// prefix sum of the first i pixels of the extended row, and output x is
// q[x + n] - q[x]. The whole row is read into q before any output pixel is
// written.
//
// Vertical: one running window sum per channel and column; moving down one
// row adds the row entering at the bottom and subtracts the row leaving at
// the top (rows clamped to the first and last), for all columns at once.
//
// Division by n: a multiply-high by a per-n constant (LaneDivider).
#pragma once

#if !defined(__SSE2__)
#error "blur_steps_sse2.h is for files built with SSE2"
#endif

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "effects/blur_kernels.h"

namespace {

// Packs a pixel's four bytes into four 16-bit lanes of a 64-bit word.
inline uint64_t widen(uint32_t p) {
  return (p & 0xFFull) | ((p >> 8) & 0xFFull) << 16 | ((p >> 16) & 0xFFull) << 32 |
         static_cast<uint64_t>(p >> 24) << 48;
}

// Quotient of one pixel's four 16-bit lane sums (used for line tails).
inline uint32_t lanes_quotient(const uint16_t* s, uint32_t n) {
  return static_cast<uint32_t>(s[0] / n) | static_cast<uint32_t>(s[1] / n) << 8 |
         static_cast<uint32_t>(s[2] / n) << 16 | static_cast<uint32_t>(s[3] / n) << 24;
}

template <bool Simple>
inline __m128i divide_sse2(__m128i s, __m128i mul, __m128i shift) {
  const __m128i t = _mm_mulhi_epu16(s, mul);
  if constexpr (Simple) {
    return _mm_srl_epi16(t, shift);
  } else {
    return _mm_srl_epi16(_mm_add_epi16(t, _mm_srli_epi16(_mm_sub_epi16(s, t), 1)), shift);
  }
}

inline __m128i load_pixel_lanes(uint32_t p) { return _mm_cvtsi32_si128(static_cast<int32_t>(p)); }

// Output x = q[x + n] - q[x] for x in [x, w).
template <bool Simple>
void horizontal_output_sse2(const uint16_t* q, uint32_t* out, int32_t x, int32_t w, int32_t n,
                            const LaneDivider& d) {
  const __m128i mul = _mm_set1_epi16(static_cast<int16_t>(d.mul));
  const __m128i shift = _mm_cvtsi32_si128(d.shift);
  for (; x + 4 <= w; x += 4) {
    const __m128i s0 = _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 4 * (x + n))),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 4 * x)));
    const __m128i s1 = _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 4 * (x + n + 2))),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 4 * (x + 2))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                     _mm_packus_epi16(divide_sse2<Simple>(s0, mul, shift), divide_sse2<Simple>(s1, mul, shift)));
  }
  for (; x < w; ++x) {
    uint16_t s[4];
    for (int c = 0; c < 4; ++c) s[c] = static_cast<uint16_t>(q[4 * (x + n) + c] - q[4 * x + c]);
    out[x] = lanes_quotient(s, static_cast<uint32_t>(n));
  }
}

// Prefix sums of row pixels j .. w - 1 onto q, continuing from `carry`
// (the prefix before pixel j, in both halves); returns the final prefix.
// Pixel j's prefix goes to q[base + j].
inline __m128i prefix_tail_sse2(const uint32_t* row, uint16_t* q, int32_t base, int32_t j, int32_t w,
                                __m128i carry) {
  const __m128i zero = _mm_setzero_si128();
  for (; j + 2 <= w; j += 2) {
    __m128i px = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + j)), zero);
    px = _mm_add_epi16(px, _mm_slli_si128(px, 8));  // [p_j | p_j + p_j+1]
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 4 * (base + j)), _mm_add_epi16(px, carry));
    carry = _mm_add_epi16(carry, _mm_unpackhi_epi64(px, px));
  }
  if (j < w) {
    const __m128i px = _mm_unpacklo_epi8(load_pixel_lanes(row[j]), zero);
    carry = _mm_add_epi16(carry, _mm_unpacklo_epi64(px, px));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(q + 4 * (base + j)), carry);
  }
  return carry;
}

// Vertical window sums of columns [x, w) for output row 0:
// (a + 1) * row 0 + rows 1 .. b, rows past the last clamped to it.
void vertical_init_sse2(const uint32_t* src, uint16_t* sums, int32_t x, int32_t w, int32_t h, int32_t a,
                        int32_t b) {
  const int32_t last = h - 1;
  const int32_t direct = b < last ? b : last;
  const int32_t extra = b - direct;
  const __m128i zero = _mm_setzero_si128();
  const __m128i first_count = _mm_set1_epi16(static_cast<int16_t>(a + 1));
  const __m128i extra_count = _mm_set1_epi16(static_cast<int16_t>(extra));
  const uint32_t* last_row = src + static_cast<std::ptrdiff_t>(last) * w;
  for (; x + 2 <= w; x += 2) {
    auto lanes = [&](const uint32_t* p) {
      return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
    };
    __m128i acc = _mm_mullo_epi16(lanes(src + x), first_count);
    for (int32_t j = 1; j <= direct; ++j) acc = _mm_add_epi16(acc, lanes(src + static_cast<std::ptrdiff_t>(j) * w + x));
    acc = _mm_add_epi16(acc, _mm_mullo_epi16(lanes(last_row + x), extra_count));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + 4 * x), acc);
  }
  for (; x < w; ++x) {
    for (int c = 0; c < 4; ++c) {
      const int shift = 8 * c;
      uint32_t acc = ((src[x] >> shift) & 0xFFu) * static_cast<uint32_t>(a + 1);
      for (int32_t j = 1; j <= direct; ++j) acc += (src[static_cast<std::ptrdiff_t>(j) * w + x] >> shift) & 0xFFu;
      acc += ((last_row[x] >> shift) & 0xFFu) * static_cast<uint32_t>(extra);
      sums[4 * x + c] = static_cast<uint16_t>(acc);
    }
  }
}

// One output row for columns [x, w): when Update, first add row `enter` to
// the sums and subtract row `leave`.
template <bool Simple, bool Update>
void vertical_row_sse2(const uint32_t* enter, const uint32_t* leave, uint16_t* sums, uint32_t* out, int32_t x,
                       int32_t w, int32_t n, const LaneDivider& d) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i mul = _mm_set1_epi16(static_cast<int16_t>(d.mul));
  const __m128i shift = _mm_cvtsi32_si128(d.shift);
  for (; x + 4 <= w; x += 4) {
    __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 4 * x));
    __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 4 * x + 8));
    if constexpr (Update) {
      const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(enter + x));
      const __m128i off = _mm_loadu_si128(reinterpret_cast<const __m128i*>(leave + x));
      s0 = _mm_add_epi16(s0, _mm_sub_epi16(_mm_unpacklo_epi8(in, zero), _mm_unpacklo_epi8(off, zero)));
      s1 = _mm_add_epi16(s1, _mm_sub_epi16(_mm_unpackhi_epi8(in, zero), _mm_unpackhi_epi8(off, zero)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + 4 * x), s0);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + 4 * x + 8), s1);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                     _mm_packus_epi16(divide_sse2<Simple>(s0, mul, shift), divide_sse2<Simple>(s1, mul, shift)));
  }
  for (; x < w; ++x) {
    uint16_t* s = sums + 4 * x;
    if constexpr (Update) {
      for (int c = 0; c < 4; ++c) {
        s[c] = static_cast<uint16_t>(s[c] + ((enter[x] >> (8 * c)) & 0xFFu) - ((leave[x] >> (8 * c)) & 0xFFu));
      }
    }
    out[x] = lanes_quotient(s, static_cast<uint32_t>(n));
  }
}

}  // namespace
