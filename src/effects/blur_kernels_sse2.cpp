// SSE2 box blur: two pixels per register of 16-bit lanes, with the steps
// of blur_steps_sse2.h.
#include "effects/blur_kernels.h"

#if defined(__SSE2__)

#include <cstddef>

#include "effects/blur_steps_sse2.h"

namespace {

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

template <bool Simple>
void vertical_sse2(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                   uint16_t* sums) {
  const int32_t a = (n - 1) / 2;
  const int32_t b = n / 2;
  const int32_t last = h - 1;
  vertical_init_sse2(src, sums, 0, w, h, a, b);
  for (int32_t y = 0; y < h; ++y) {
    // Moving from row y - 1 to row y, row y + b enters the window and row
    // y - a - 1 leaves it (each clamped to the image).
    const uint32_t* enter = src + static_cast<std::ptrdiff_t>(y + b < last ? y + b : last) * w;
    const uint32_t* leave = src + static_cast<std::ptrdiff_t>(y - a - 1 > 0 ? y - a - 1 : 0) * w;
    uint32_t* out = dst + static_cast<std::ptrdiff_t>(y) * w;
    if (y == 0) {
      vertical_row_sse2<Simple, false>(enter, leave, sums, out, 0, w, n, d);
    } else {
      vertical_row_sse2<Simple, true>(enter, leave, sums, out, 0, w, n, d);
    }
  }
}

void horizontal_entry(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                      uint16_t* lanes) {
  (d.simple ? horizontal_sse2<true> : horizontal_sse2<false>)(src, dst, w, h, n, d, lanes);
}

void vertical_entry(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                    uint16_t* lanes) {
  (d.simple ? vertical_sse2<true> : vertical_sse2<false>)(src, dst, w, h, n, d, lanes);
}

}  // namespace

constinit const BlurKernels blur_kernels_sse2{horizontal_entry, vertical_entry};

#endif  // __SSE2__
