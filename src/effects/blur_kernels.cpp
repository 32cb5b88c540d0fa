#include "effects/blur_kernels.h"

#include <immintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

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

LaneDivider make_lane_divider(uint32_t n) {
  const uint64_t max_sum = 255ull * n;
  for (uint32_t shift = 0; shift <= 16; ++shift) {
    const uint64_t k = 1ull << (16 + shift);
    const uint64_t mul = (k + n - 1) / n;
    if (mul >= 65536) break;  // larger shifts only need larger multipliers
    const uint64_t excess = mul * n - k;
    // floor(s * mul / 2^k) = floor(s / n) for s = qn + r whenever
    // s * excess < 2^k; it suffices for the largest sum.
    if (excess * max_sum < k) {
      return LaneDivider{static_cast<uint16_t>(mul), static_cast<uint8_t>(shift), true};
    }
  }
  // Round-down form: with l = ceil(log2 n), mul = floor(2^16 (2^l - n) / n) + 1
  // and a final shift of l - 1 the quotient is exact for all 16-bit s.
  uint32_t l = 0;
  while ((1u << l) < n) ++l;
  const uint64_t mul = ((1ull << 16) * ((1ull << l) - n)) / n + 1;
  return LaneDivider{static_cast<uint16_t>(mul), static_cast<uint8_t>(l - 1), false};
}

namespace {

// ---- scalar path, any window length -------------------------------------

inline void add_channels(uint64_t* s, uint32_t p, int64_t count) {
  const uint64_t c = static_cast<uint64_t>(count);
  s[0] += (p & 0xFFu) * c;
  s[1] += ((p >> 8) & 0xFFu) * c;
  s[2] += ((p >> 16) & 0xFFu) * c;
  s[3] += (p >> 24) * c;
}

inline void sub_channels(uint64_t* s, uint32_t p) {
  s[0] -= p & 0xFFu;
  s[1] -= (p >> 8) & 0xFFu;
  s[2] -= (p >> 16) & 0xFFu;
  s[3] -= p >> 24;
}

inline uint32_t pack_quotients(const uint64_t* s, uint64_t n) {
  return static_cast<uint32_t>(s[0] / n) | static_cast<uint32_t>(s[1] / n) << 8 |
         static_cast<uint32_t>(s[2] / n) << 16 | static_cast<uint32_t>(s[3] / n) << 24;
}

// Sliding clamped window over `count` pixels `stride` words apart: out[i] is
// the average of in[clamp(i + j)] for j = -a .. b. Window sums of up to
// 255 * 2^31 fit easily in 64 bits.
void blur_line_scalar(const uint32_t* in, uint32_t* out, std::ptrdiff_t stride, int32_t count, int64_t n) {
  const int64_t a = (n - 1) / 2;
  const int64_t b = n / 2;
  const int64_t last = count - 1;
  auto at = [&](int64_t i) { return in[std::clamp<int64_t>(i, 0, last) * stride]; };
  uint64_t s[4] = {0, 0, 0, 0};
  // Window of position 0: a + 1 copies of the first pixel, pixels 1 .. b
  // that exist, and copies of the last pixel for positions beyond it.
  add_channels(s, in[0], a + 1);
  const int64_t direct = std::min(b, last);
  for (int64_t j = 1; j <= direct; ++j) add_channels(s, in[j * stride], 1);
  if (b > last) add_channels(s, in[last * stride], b - last);
  const uint64_t un = static_cast<uint64_t>(n);
  for (int64_t i = 0; i < count; ++i) {
    out[i * stride] = pack_quotients(s, un);
    add_channels(s, at(i + 1 + b), 1);
    sub_channels(s, at(i - a));
  }
}

void horizontal_scalar(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n) {
  for (int32_t y = 0; y < h; ++y) {
    const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(y) * w;
    blur_line_scalar(src + offset, dst + offset, 1, w, n);
  }
}

void vertical_scalar(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n) {
  for (int32_t x = 0; x < w; ++x) blur_line_scalar(src + x, dst + x, w, h, n);
}

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

// ---- SSE2 ---------------------------------------------------------------

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

// q needs w + n + 4 entries of four lanes: the pad loops may store up to
// three entries past their range, which later stages or the slack absorb.
template <bool Simple>
void horizontal_sse2(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                     uint16_t* q) {
  const int32_t a = (n - 1) / 2;
  const int32_t b = n / 2;
  for (int32_t y = 0; y < h; ++y) {
    const uint32_t* row = src + static_cast<std::ptrdiff_t>(y) * w;
    // q[i] = i * first for i = 0 .. a + 1.
    const uint64_t first = widen(row[0]);
    __m128i v = _mm_set_epi64x(static_cast<int64_t>(first), 0);
    __m128i step = _mm_set1_epi64x(static_cast<int64_t>(2 * first));
    for (int32_t i = 0; i < a + 2; i += 2) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 4 * i), v);
      v = _mm_add_epi16(v, step);
    }
    // q[a + 1 + j] = q[a + j] + row[j] for j = 1 .. w - 1.
    __m128i carry = _mm_set1_epi64x(static_cast<int64_t>((a + 1) * first));
    carry = prefix_tail_sse2(row, q, a + 1, 1, w, carry);
    // q[a + w + k] = q[a + w] + k * last for k = 1 .. b.
    const uint64_t last = widen(row[w - 1]);
    v = _mm_add_epi16(carry, _mm_set_epi64x(static_cast<int64_t>(2 * last), static_cast<int64_t>(last)));
    step = _mm_set1_epi64x(static_cast<int64_t>(2 * last));
    for (int32_t k = 1; k <= b; k += 2) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 4 * (a + w + k)), v);
      v = _mm_add_epi16(v, step);
    }
    horizontal_output_sse2<Simple>(q, dst + static_cast<std::ptrdiff_t>(y) * w, 0, w, n, d);
  }
}

// Vertical window sums of columns [x, w) for output row 0:
// (a + 1) * row 0 + rows 1 .. b, rows past the last clamped to it.
void vertical_init_sse2(const uint32_t* src, uint16_t* sums, int32_t x, int32_t w, int32_t h, int32_t a,
                        int32_t b) {
  const int32_t last = h - 1;
  const int32_t direct = std::min(b, last);
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

// ---- AVX2 ---------------------------------------------------------------
// Four pixels per 256-bit register of 16-bit lanes. Steps that cannot fill
// a whole register fall through to the SSE2 code above, which is fine to
// call from here (SSE2 is a subset).
#if defined(__x86_64__) || defined(__i386__)

#define SAVA_AVX2 __attribute__((target("avx2")))

template <bool Simple>
SAVA_AVX2 inline __m256i divide_avx2(__m256i s, __m256i mul, __m128i shift) {
  const __m256i t = _mm256_mulhi_epu16(s, mul);
  if constexpr (Simple) {
    return _mm256_srl_epi16(t, shift);
  } else {
    return _mm256_srl_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(_mm256_sub_epi16(s, t), 1)), shift);
  }
}

SAVA_AVX2 inline __m256i load_four_lanes(const uint32_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// Two registers of four pixels' 16-bit results back to eight pixel words:
// the in-lane pack leaves 64-bit quarters in the order 0, 2, 1, 3.
SAVA_AVX2 inline __m256i pack_eight(__m256i lo, __m256i hi) {
  return _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
}

// q[i] = i * first for i = 0 .. a + 1 (stores run up to three entries on).
SAVA_AVX2 inline void left_pad_avx2(uint16_t* q, uint32_t first_pixel, int32_t a) {
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
SAVA_AVX2 inline void right_pad_avx2(uint16_t* q, __m128i total, uint32_t last_pixel, int32_t a, int32_t w,
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
SAVA_AVX2 inline void horizontal_output_avx2(const uint16_t* q, uint32_t* out, int32_t w, int32_t n,
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
SAVA_AVX2 inline __m128i prefix_row_avx2(const uint32_t* row, uint16_t* q, int32_t a, int32_t w) {
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
SAVA_AVX2 inline void prefix_row_pair_avx2(const uint32_t* row_a, const uint32_t* row_b, uint16_t* q_a,
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
    __m256i lo = _mm256_unpacklo_epi8(v, zero);  // pixels j, j + 1 of each row
    __m256i hi = _mm256_unpackhi_epi8(v, zero);  // pixels j + 2, j + 3
    lo = _mm256_add_epi16(lo, _mm256_slli_si256(lo, 8));
    hi = _mm256_add_epi16(hi, _mm256_slli_si256(hi, 8));
    lo = _mm256_add_epi16(lo, carry);
    hi = _mm256_add_epi16(hi, _mm256_unpackhi_epi64(lo, lo));
    uint16_t* at_a = q_a + 4 * (a + 1 + j);
    uint16_t* at_b = q_b + 4 * (a + 1 + j);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at_a), _mm256_castsi256_si128(lo));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at_a + 8), _mm256_castsi256_si128(hi));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at_b), _mm256_extracti128_si256(lo, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at_b + 8), _mm256_extracti128_si256(hi, 1));
    carry = _mm256_unpackhi_epi64(hi, hi);
  }
  total_a = prefix_tail_sse2(row_a, q_a, a + 1, j, w, _mm256_castsi256_si128(carry));
  total_b = prefix_tail_sse2(row_b, q_b, a + 1, j, w, _mm256_extracti128_si256(carry, 1));
}

// q and q2 each need w + n + 4 entries of four lanes.
template <bool Simple>
SAVA_AVX2 void horizontal_avx2(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n,
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

SAVA_AVX2 void vertical_init_avx2(const uint32_t* src, uint16_t* sums, int32_t w, int32_t h, int32_t a,
                                  int32_t b) {
  const int32_t last = h - 1;
  const int32_t direct = std::min(b, last);
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
SAVA_AVX2 void vertical_row_avx2(const uint32_t* enter, const uint32_t* leave, uint16_t* sums, uint32_t* out,
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
#else
// Only x86 has AVX2; elsewhere that level is never selected.
template <bool Simple>
[[noreturn]] void horizontal_avx2(const uint32_t*, uint32_t*, int32_t, int32_t, int32_t, const LaneDivider&,
                                  uint16_t*, uint16_t*) {
  __builtin_trap();
}
[[noreturn]] void vertical_init_avx2(const uint32_t*, uint16_t*, int32_t, int32_t, int32_t, int32_t) {
  __builtin_trap();
}
template <bool Simple, bool Update>
[[noreturn]] void vertical_row_avx2(const uint32_t*, const uint32_t*, uint16_t*, uint32_t*, int32_t, int32_t,
                                    const LaneDivider&) {
  __builtin_trap();
}
#endif

// ---- drivers --------------------------------------------------------------

template <bool Simple>
void vertical_vector(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                     uint16_t* sums, bool avx2) {
  const int32_t a = (n - 1) / 2;
  const int32_t b = n / 2;
  const int32_t last = h - 1;
  if (avx2) {
    vertical_init_avx2(src, sums, w, h, a, b);
  } else {
    vertical_init_sse2(src, sums, 0, w, h, a, b);
  }
  for (int32_t y = 0; y < h; ++y) {
    // Moving from row y - 1 to row y, row y + b enters the window and row
    // y - a - 1 leaves it (each clamped to the image).
    const uint32_t* enter = src + static_cast<std::ptrdiff_t>(std::min(y + b, last)) * w;
    const uint32_t* leave = src + static_cast<std::ptrdiff_t>(std::max(y - a - 1, 0)) * w;
    uint32_t* out = dst + static_cast<std::ptrdiff_t>(y) * w;
    if (avx2) {
      if (y == 0) {
        vertical_row_avx2<Simple, false>(enter, leave, sums, out, w, n, d);
      } else {
        vertical_row_avx2<Simple, true>(enter, leave, sums, out, w, n, d);
      }
    } else {
      if (y == 0) {
        vertical_row_sse2<Simple, false>(enter, leave, sums, out, 0, w, n, d);
      } else {
        vertical_row_sse2<Simple, true>(enter, leave, sums, out, 0, w, n, d);
      }
    }
  }
}

bool use_vector(int32_t n, SimdLevel level) {
  return level != SimdLevel::scalar && n >= 3 && n <= blur_vector_max_size;
}

}  // namespace

void horizontal_blur_apply(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n,
                           SimdLevel level) {
  if (w <= 0 || h <= 0) return;
  if (!use_vector(n, level)) {
    horizontal_scalar(src, dst, w, h, n);
    return;
  }
  const LaneDivider d = make_lane_divider(static_cast<uint32_t>(n));
  // Prefix buffers (two for the AVX2 row pairs): w + n entries of four
  // lanes each plus slack for the pad loops. Without memory for them the
  // scalar path, which needs none, does the work.
  const std::size_t entries = (static_cast<std::size_t>(w) + n + 4) * 4;
  std::unique_ptr<uint16_t[]> q(new (std::nothrow) uint16_t[2 * entries]);
  if (!q) {
    horizontal_scalar(src, dst, w, h, n);
    return;
  }
  if (level == SimdLevel::avx2) {
    if (d.simple) {
      horizontal_avx2<true>(src, dst, w, h, n, d, q.get(), q.get() + entries);
    } else {
      horizontal_avx2<false>(src, dst, w, h, n, d, q.get(), q.get() + entries);
    }
  } else {
    if (d.simple) {
      horizontal_sse2<true>(src, dst, w, h, n, d, q.get());
    } else {
      horizontal_sse2<false>(src, dst, w, h, n, d, q.get());
    }
  }
}

void vertical_blur_apply(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n,
                         SimdLevel level) {
  if (w <= 0 || h <= 0) return;
  if (!use_vector(n, level)) {
    vertical_scalar(src, dst, w, h, n);
    return;
  }
  const LaneDivider d = make_lane_divider(static_cast<uint32_t>(n));
  std::unique_ptr<uint16_t[]> sums(new (std::nothrow) uint16_t[static_cast<std::size_t>(w) * 4]);
  if (!sums) {
    vertical_scalar(src, dst, w, h, n);
    return;
  }
  const bool avx2 = level == SimdLevel::avx2;
  if (d.simple) {
    vertical_vector<true>(src, dst, w, h, n, d, sums.get(), avx2);
  } else {
    vertical_vector<false>(src, dst, w, h, n, d, sums.get(), avx2);
  }
}
