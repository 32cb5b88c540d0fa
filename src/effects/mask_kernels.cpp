#include "effects/mask_kernels.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

// Vector form of the mask rule: a pixel's four bytes widen to 16-bit lanes
// holding v << 8, and a multiply-high by the lane's factor k yields
// (v * 256 * k) >> 16 = (v * k) >> 8 directly (k <= 256 fits a lane); the
// lanes pack back and an OR word is applied. Colour lanes get k = m + 1. For m = 255 the alpha lane also
// gets k = 256 and the OR word is 0, which reproduces the pixel exactly; for
// every other m the alpha lane gets k = 0 and the OR word 0xFF000000 forces
// alpha to 255 (m = 0 then yields 0xFF000000 as required).

namespace {

constexpr uint32_t opaque_black = 0xFF000000u;

void fill_row(uint32_t* row, int32_t w) { std::fill(row, row + w, opaque_black); }

// ---- scalar -------------------------------------------------------------

void scale_row_scalar(uint32_t* row, int32_t w, uint8_t m) {
  const uint32_t k = m + 1u;
  for (int32_t i = 0; i < w; ++i) row[i] = scale_rgb(row[i], k) | opaque_black;
}

void columns_row_scalar(uint32_t* row, int32_t w, const uint8_t* mask) {
  for (int32_t i = 0; i < w; ++i) row[i] = mask_pixel(row[i], mask[i]);
}

// ---- SSE2 ---------------------------------------------------------------

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
  scale_row_scalar(row + i, w - i, m);
}

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
  columns_row_scalar(row + i, w - i, mask + i);
}

// ---- AVX2 ---------------------------------------------------------------
// Eight pixels per step. The 256-bit unpacks work within 128-bit halves, so
// the low unpack holds pixels 0, 1, 4, 5 and the high one 2, 3, 6, 7; the
// pack reverses exactly that, and the per-column factors of full 8-pixel
// groups are stored in the same order (see column_mask_apply).
#if defined(__x86_64__) || defined(__i386__)

__attribute__((target("avx2"))) void scale_row_avx2(uint32_t* row, int32_t w, uint8_t m) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i k = _mm256_set_epi16(0, m + 1, m + 1, m + 1, 0, m + 1, m + 1, m + 1, 0, m + 1, m + 1,
                                     m + 1, 0, m + 1, m + 1, m + 1);
  const __m256i alpha = _mm256_set1_epi32(static_cast<int32_t>(opaque_black));
  int32_t i = 0;
  for (; i + 8 <= w; i += 8) {
    const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i));
    const __m256i lo = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, p), k);
    const __m256i hi = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, p), k);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), _mm256_or_si256(_mm256_packus_epi16(lo, hi), alpha));
  }
  scale_row_sse2(row + i, w - i, m);
}

__attribute__((target("avx2"))) void columns_row_avx2(uint32_t* row, int32_t w, const uint8_t* mask,
                                                      const uint16_t* k, const uint32_t* or_words) {
  const __m256i zero = _mm256_setzero_si256();
  int32_t i = 0;
  for (; i + 8 <= w; i += 8) {
    const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i));
    const __m256i k_lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(k + 4 * i));
    const __m256i k_hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(k + 4 * i + 16));
    const __m256i lo = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, p), k_lo);
    const __m256i hi = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, p), k_hi);
    const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(or_words + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), _mm256_or_si256(_mm256_packus_epi16(lo, hi), o));
  }
  columns_row_sse2(row + i, w - i, mask + i, k + 4 * i, or_words + i);
}
#else
// Only x86 has AVX2; elsewhere that level is never selected.
[[noreturn]] void scale_row_avx2(uint32_t*, int32_t, uint8_t) { __builtin_trap(); }
[[noreturn]] void columns_row_avx2(uint32_t*, int32_t, const uint8_t*, const uint16_t*, const uint32_t*) {
  __builtin_trap();
}
#endif

}  // namespace

void row_mask_apply(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask,
                    SimdLevel level) {
  if (w <= 0 || h <= 0) return;
  for (int32_t j = 0; j < h; ++j) {
    const uint8_t m = mask[j];
    if (m == 255) continue;  // untouched, not even read
    uint32_t* row = first + static_cast<std::ptrdiff_t>(j) * stride;
    if (m == 0) {
      fill_row(row, w);  // written without reading
      continue;
    }
    switch (level) {
      case SimdLevel::avx2: scale_row_avx2(row, w, m); break;
      case SimdLevel::sse2: scale_row_sse2(row, w, m); break;
      case SimdLevel::scalar: scale_row_scalar(row, w, m); break;
    }
  }
}

void column_mask_apply(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask,
                       SimdLevel level) {
  if (w <= 0 || h <= 0) return;
  // Columns with byte 255 at either end change nothing: narrow the rectangle
  // to the columns between the first and last byte that is not 255. A mask of
  // all 255 (the usual resting state of a scene's mask) costs no pixel work.
  int32_t begin = 0;
  while (begin < w && mask[begin] == 255) ++begin;
  if (begin == w) return;
  int32_t end = w;
  while (mask[end - 1] == 255) --end;
  first += begin;
  mask += begin;
  const int32_t n = end - begin;

  // Per-column lane factors and OR words, built once for all rows (the
  // scalar loop, which needs neither, also serves if there is no memory).
  std::unique_ptr<uint16_t[]> k;
  std::unique_ptr<uint32_t[]> or_words;
  if (level != SimdLevel::scalar) {
    k.reset(new (std::nothrow) uint16_t[static_cast<std::size_t>(n) * 4]);
    or_words.reset(new (std::nothrow) uint32_t[static_cast<std::size_t>(n)]);
  }
  if (!k || !or_words) {
    for (int32_t j = 0; j < h; ++j) columns_row_scalar(first + static_cast<std::ptrdiff_t>(j) * stride, n, mask);
    return;
  }
  // Factors go in pixel order, except that the AVX2 loop wants each full
  // group of eight as pixels 0, 1, 4, 5, 2, 3, 6, 7.
  const int32_t grouped = level == SimdLevel::avx2 ? n / 8 * 8 : 0;
  for (int32_t i = 0; i < n; ++i) {
    static constexpr int32_t avx2_slot[8] = {0, 1, 4, 5, 2, 3, 6, 7};
    const int32_t slot = i < grouped ? (i & ~7) + avx2_slot[i & 7] : i;
    const uint16_t c = static_cast<uint16_t>(mask[i] + 1);
    const bool keep = mask[i] == 255;
    k[4 * slot + 0] = c;
    k[4 * slot + 1] = c;
    k[4 * slot + 2] = c;
    k[4 * slot + 3] = keep ? 256 : 0;
    or_words[i] = keep ? 0u : opaque_black;
  }
  for (int32_t j = 0; j < h; ++j) {
    uint32_t* row = first + static_cast<std::ptrdiff_t>(j) * stride;
    if (level == SimdLevel::avx2) {
      columns_row_avx2(row, n, mask, k.get(), or_words.get());
    } else {
      columns_row_sse2(row, n, mask, k.get(), or_words.get());
    }
  }
}
