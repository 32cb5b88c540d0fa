// AVX2 box blur: four pixels per 256-bit register of 16-bit lanes. Steps
// that cannot fill a whole register end with the SSE2 steps of
// blur_steps_sse2.h, compiled here for this instruction set.
//
// This file alone is compiled for AVX2. It must not use inline functions or
// templates that other files use too (pixel_ops.h, the standard library's):
// the linker keeps one copy of each, and it could be this file's.
#include "effects/blur_kernels.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__AVX2__)

#include <immintrin.h>

#include <cstddef>

#include "effects/blur_steps_sse2.h"

namespace {

template <bool Simple>
inline __m256i divide_avx2(__m256i s, __m256i mul, __m128i shift) {
  const __m256i t = _mm256_mulhi_epu16(s, mul);
  if constexpr (Simple) {
    return _mm256_srl_epi16(t, shift);
  } else {
    return _mm256_srl_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(_mm256_sub_epi16(s, t), 1)), shift);
  }
}

inline __m256i load_four_lanes(const uint32_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// Two registers of four pixels' 16-bit results back to eight pixel words:
// the in-lane pack leaves 64-bit quarters in the order 0, 2, 1, 3.
inline __m256i pack_eight(__m256i lo, __m256i hi) {
  return _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
}

// q[i] = i * first for i = 0 .. a + 1 (stores run up to three entries on).
inline void left_pad_avx2(uint16_t* q, uint32_t first_pixel, int32_t a) {
  const uint64_t first = widen(first_pixel);
  __m256i v = _mm256_set_epi64x(static_cast<int64_t>(3 * first), static_cast<int64_t>(2 * first),
                                static_cast<int64_t>(first), 0);
  const __m256i step = _mm256_set1_epi64x(static_cast<int64_t>(4 * first));
  for (int32_t i = 0; i < a + 2; i += 4) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(q + 4 * i), v);
    v = _mm256_add_epi16(v, step);
  }
}

// q[a + w + k] = q[a + w] + k * last for k = 1 .. b, from total = q[a + w]
// in both halves (stores run up to three entries on).
inline void right_pad_avx2(uint16_t* q, __m128i total, uint32_t last_pixel, int32_t a, int32_t w,
                           int32_t b) {
  const uint64_t last = widen(last_pixel);
  __m256i v = _mm256_add_epi16(_mm256_broadcastq_epi64(total),
                               _mm256_set_epi64x(static_cast<int64_t>(4 * last), static_cast<int64_t>(3 * last),
                                                 static_cast<int64_t>(2 * last), static_cast<int64_t>(last)));
  const __m256i step = _mm256_set1_epi64x(static_cast<int64_t>(4 * last));
  for (int32_t k = 1; k <= b; k += 4) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(q + 4 * (a + w + k)), v);
    v = _mm256_add_epi16(v, step);
  }
}

template <bool Simple>
inline void horizontal_output_avx2(const uint16_t* q, uint32_t* out, int32_t w, int32_t n,
                                   const LaneDivider& d) {
  const __m256i mul = _mm256_set1_epi16(static_cast<int16_t>(d.mul));
  const __m128i shift = _mm_cvtsi32_si128(d.shift);
  int32_t x = 0;
  for (; x + 8 <= w; x += 8) {
    const __m256i s0 = _mm256_sub_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 4 * (x + n))),
                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 4 * x)));
    const __m256i s1 = _mm256_sub_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 4 * (x + n + 4))),
                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 4 * (x + 4))));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                        pack_eight(divide_avx2<Simple>(s0, mul, shift), divide_avx2<Simple>(s1, mul, shift)));
  }
  horizontal_output_sse2<Simple>(q, out, x, w, n, d);
}

// Prefix of one row's pixels 1 .. w - 1 (q[a + 1 + j] = q[a + j] + row[j]),
// four at a time; returns q[a + w] in both halves. The in-register prefix of
// four pixels does not depend on the running total, so the loop-carried
// chain is a single add per four pixels.
inline __m128i prefix_row_avx2(const uint32_t* row, uint16_t* q, int32_t a, int32_t w) {
  __m256i carry = _mm256_set1_epi64x(static_cast<int64_t>((a + 1) * widen(row[0])));
  int32_t j = 1;
  for (; j + 4 <= w; j += 4) {
    __m256i px = load_four_lanes(row + j);
    px = _mm256_add_epi16(px, _mm256_slli_si256(px, 8));  // pairs within each half
    const __m256i low_total = _mm256_permute4x64_epi64(px, 0x55);
    px = _mm256_add_epi16(px, _mm256_blend_epi32(_mm256_setzero_si256(), low_total, 0xF0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(q + 4 * (a + 1 + j)), _mm256_add_epi16(px, carry));
    carry = _mm256_add_epi16(carry, _mm256_permute4x64_epi64(px, 0xFF));
  }
  return prefix_tail_sse2(row, q, a + 1, j, w, _mm256_castsi256_si128(carry));
}

// The same prefix for two rows at once, one row per 128-bit half: each
// half holds two pixels of its row, so the running totals never cross
// halves and the whole step needs fewer shuffles than the single-row loop.
inline void prefix_row_pair_avx2(const uint32_t* row_a, const uint32_t* row_b, uint16_t* q_a,
                                 uint16_t* q_b, int32_t a, int32_t w, __m128i& total_a,
                                 __m128i& total_b) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i carry = _mm256_set_epi64x(static_cast<int64_t>((a + 1) * widen(row_b[0])),
                                    static_cast<int64_t>((a + 1) * widen(row_b[0])),
                                    static_cast<int64_t>((a + 1) * widen(row_a[0])),
                                    static_cast<int64_t>((a + 1) * widen(row_a[0])));
  int32_t j = 1;
  for (; j + 4 <= w; j += 4) {
    const __m256i v = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row_a + j))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(row_b + j)), 1);
    // Prefixes within the four pixels first; the running total is added
    // last, so that the only step from one loop turn to the next is one add.
    __m256i lo = _mm256_unpacklo_epi8(v, zero);  // pixels j, j + 1 of each row
    __m256i hi = _mm256_unpackhi_epi8(v, zero);  // pixels j + 2, j + 3
    lo = _mm256_add_epi16(lo, _mm256_slli_si256(lo, 8));
    hi = _mm256_add_epi16(hi, _mm256_slli_si256(hi, 8));
    hi = _mm256_add_epi16(hi, _mm256_unpackhi_epi64(lo, lo));
    const __m256i lo_total = _mm256_add_epi16(lo, carry);
    const __m256i hi_total = _mm256_add_epi16(hi, carry);
    uint16_t* at_a = q_a + 4 * (a + 1 + j);
    uint16_t* at_b = q_b + 4 * (a + 1 + j);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at_a), _mm256_castsi256_si128(lo_total));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at_a + 8), _mm256_castsi256_si128(hi_total));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at_b), _mm256_extracti128_si256(lo_total, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at_b + 8), _mm256_extracti128_si256(hi_total, 1));
    carry = _mm256_add_epi16(carry, _mm256_unpackhi_epi64(hi, hi));
  }
  total_a = prefix_tail_sse2(row_a, q_a, a + 1, j, w, _mm256_castsi256_si128(carry));
  total_b = prefix_tail_sse2(row_b, q_b, a + 1, j, w, _mm256_extracti128_si256(carry, 1));
}

// q and q2 each need w + n + 4 entries of four lanes.
template <bool Simple>
void horizontal_avx2(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n,
                     const LaneDivider& d, uint16_t* q, uint16_t* q2) {
  const int32_t a = (n - 1) / 2;
  const int32_t b = n / 2;
  int32_t y = 0;
  for (; y + 2 <= h; y += 2) {
    const uint32_t* row_a = src + static_cast<std::ptrdiff_t>(y) * w;
    const uint32_t* row_b = row_a + w;
    left_pad_avx2(q, row_a[0], a);
    left_pad_avx2(q2, row_b[0], a);
    __m128i total_a, total_b;
    prefix_row_pair_avx2(row_a, row_b, q, q2, a, w, total_a, total_b);
    right_pad_avx2(q, total_a, row_a[w - 1], a, w, b);
    right_pad_avx2(q2, total_b, row_b[w - 1], a, w, b);
    uint32_t* out = dst + static_cast<std::ptrdiff_t>(y) * w;
    horizontal_output_avx2<Simple>(q, out, w, n, d);
    horizontal_output_avx2<Simple>(q2, out + w, w, n, d);
  }
  if (y < h) {
    const uint32_t* row = src + static_cast<std::ptrdiff_t>(y) * w;
    left_pad_avx2(q, row[0], a);
    const __m128i total = prefix_row_avx2(row, q, a, w);
    right_pad_avx2(q, total, row[w - 1], a, w, b);
    horizontal_output_avx2<Simple>(q, dst + static_cast<std::ptrdiff_t>(y) * w, w, n, d);
  }
}

void vertical_init_avx2(const uint32_t* src, uint16_t* sums, int32_t w, int32_t h, int32_t a,
                        int32_t b) {
  const int32_t last = h - 1;
  const int32_t direct = b < last ? b : last;
  const int32_t extra = b - direct;
  const __m256i first_count = _mm256_set1_epi16(static_cast<int16_t>(a + 1));
  const __m256i extra_count = _mm256_set1_epi16(static_cast<int16_t>(extra));
  const uint32_t* last_row = src + static_cast<std::ptrdiff_t>(last) * w;
  int32_t x = 0;
  for (; x + 8 <= w; x += 8) {
    __m256i acc0 = _mm256_mullo_epi16(load_four_lanes(src + x), first_count);
    __m256i acc1 = _mm256_mullo_epi16(load_four_lanes(src + x + 4), first_count);
    for (int32_t j = 1; j <= direct; ++j) {
      const uint32_t* p = src + static_cast<std::ptrdiff_t>(j) * w + x;
      acc0 = _mm256_add_epi16(acc0, load_four_lanes(p));
      acc1 = _mm256_add_epi16(acc1, load_four_lanes(p + 4));
    }
    acc0 = _mm256_add_epi16(acc0, _mm256_mullo_epi16(load_four_lanes(last_row + x), extra_count));
    acc1 = _mm256_add_epi16(acc1, _mm256_mullo_epi16(load_four_lanes(last_row + x + 4), extra_count));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + 4 * x), acc0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + 4 * x + 16), acc1);
  }
  vertical_init_sse2(src, sums, x, w, h, a, b);
}

template <bool Simple, bool Update>
void vertical_row_avx2(const uint32_t* enter, const uint32_t* leave, uint16_t* sums, uint32_t* out,
                       int32_t w, int32_t n, const LaneDivider& d) {
  const __m256i mul = _mm256_set1_epi16(static_cast<int16_t>(d.mul));
  const __m128i shift = _mm_cvtsi32_si128(d.shift);
  int32_t x = 0;
  for (; x + 8 <= w; x += 8) {
    __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + 4 * x));
    __m256i s1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + 4 * x + 16));
    if constexpr (Update) {
      s0 = _mm256_add_epi16(s0, _mm256_sub_epi16(load_four_lanes(enter + x), load_four_lanes(leave + x)));
      s1 = _mm256_add_epi16(s1, _mm256_sub_epi16(load_four_lanes(enter + x + 4), load_four_lanes(leave + x + 4)));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + 4 * x), s0);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + 4 * x + 16), s1);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                        pack_eight(divide_avx2<Simple>(s0, mul, shift), divide_avx2<Simple>(s1, mul, shift)));
  }
  vertical_row_sse2<Simple, Update>(enter, leave, sums, out, x, w, n, d);
}

template <bool Simple>
void vertical_avx2(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                   uint16_t* sums) {
  const int32_t a = (n - 1) / 2;
  const int32_t b = n / 2;
  const int32_t last = h - 1;
  vertical_init_avx2(src, sums, w, h, a, b);
  for (int32_t y = 0; y < h; ++y) {
    // Moving from row y - 1 to row y, row y + b enters the window and row
    // y - a - 1 leaves it (each clamped to the image).
    const uint32_t* enter = src + static_cast<std::ptrdiff_t>(y + b < last ? y + b : last) * w;
    const uint32_t* leave = src + static_cast<std::ptrdiff_t>(y - a - 1 > 0 ? y - a - 1 : 0) * w;
    uint32_t* out = dst + static_cast<std::ptrdiff_t>(y) * w;
    if (y == 0) {
      vertical_row_avx2<Simple, false>(enter, leave, sums, out, w, n, d);
    } else {
      vertical_row_avx2<Simple, true>(enter, leave, sums, out, w, n, d);
    }
  }
}

void horizontal_entry(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                      uint16_t* lanes) {
  uint16_t* second = lanes + blur_prefix_entries(w, n);
  (d.simple ? horizontal_avx2<true> : horizontal_avx2<false>)(src, dst, w, h, n, d, lanes, second);
}

void vertical_entry(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                    uint16_t* lanes) {
  (d.simple ? vertical_avx2<true> : vertical_avx2<false>)(src, dst, w, h, n, d, lanes);
}

}  // namespace

constinit const BlurKernels blur_kernels_avx2{horizontal_entry, vertical_entry};

#endif  // x86 with AVX2
