// SSE2 mask kernels, four pixels at a time.
//
// Vector form of the mask rule: a pixel's four bytes widen to 16-bit lanes
// holding v << 8, and a multiply-high by the lane's factor k yields
// (v * 256 * k) >> 16 = (v * k) >> 8 directly (k <= 256 fits a lane); the
// lanes pack back and an OR word is applied. Colour lanes get k = m + 1.
// For m = 255 the alpha lane also gets k = 256 and the OR word is 0, which
// reproduces the pixel exactly; for every other m the alpha lane gets k = 0
// and the OR word 0xFF000000 forces alpha to 255 (m = 0 then yields
// 0xFF000000 as required).
#include "effects/mask_kernels.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstddef>
#include <memory>
#include <new>

namespace {

constexpr uint32_t opaque_black = 0xFF000000u;

void scale_row_sse2(uint32_t* row, int32_t w, uint8_t m) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i k = _mm_set_epi16(0, m + 1, m + 1, m + 1, 0, m + 1, m + 1, m + 1);
  const __m128i alpha = _mm_set1_epi32(static_cast<int32_t>(opaque_black));
  int32_t i = 0;
  for (; i + 4 <= w; i += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    const __m128i lo = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, p), k);
    const __m128i hi = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, p), k);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_or_si128(_mm_packus_epi16(lo, hi), alpha));
  }
  for (; i < w; ++i) row[i] = scale_rgb(row[i], m + 1u) | opaque_black;
}

// One row with the columns' lane factors k (four per pixel) and OR words.
void columns_row_sse2(uint32_t* row, int32_t w, const uint8_t* mask, const uint16_t* k,
                      const uint32_t* or_words) {
  const __m128i zero = _mm_setzero_si128();
  int32_t i = 0;
  for (; i + 4 <= w; i += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    const __m128i k_lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(k + 4 * i));
    const __m128i k_hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(k + 4 * i + 8));
    const __m128i lo = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, p), k_lo);
    const __m128i hi = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, p), k_hi);
    const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(or_words + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_or_si128(_mm_packus_epi16(lo, hi), o));
  }
  for (; i < w; ++i) row[i] = mask_pixel(row[i], mask[i]);
}

void columns_sse2(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask) {
  // Lane factors and OR words of the columns, built once for all rows.
  // Without memory for them the scalar kernel, which needs none, does the work.
  std::unique_ptr<uint16_t[]> k(new (std::nothrow) uint16_t[static_cast<std::size_t>(w) * 4]);
  std::unique_ptr<uint32_t[]> or_words(new (std::nothrow) uint32_t[static_cast<std::size_t>(w)]);
  if (!k || !or_words) {
    mask_kernels_scalar.columns(first, stride, w, h, mask);
    return;
  }
  for (int32_t i = 0; i < w; ++i) {
    const uint16_t c = static_cast<uint16_t>(mask[i] + 1);
    const bool keep = mask[i] == 255;
    k[4 * i + 0] = c;
    k[4 * i + 1] = c;
    k[4 * i + 2] = c;
    k[4 * i + 3] = keep ? 256 : 0;
    or_words[i] = keep ? 0u : opaque_black;
  }
  for (int32_t j = 0; j < h; ++j) {
    columns_row_sse2(first + static_cast<std::ptrdiff_t>(j) * stride, w, mask, k.get(), or_words.get());
  }
}

}  // namespace

constinit const MaskKernels mask_kernels_sse2{scale_row_sse2, columns_sse2};

#endif  // __SSE2__
