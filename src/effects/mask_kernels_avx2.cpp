// AVX2 mask kernels, eight pixels at a time: the arithmetic of
// mask_kernels_sse2.cpp on 256-bit registers. What is left after the last
// full step of a row, and the columns after the last full group of eight,
// go to the SSE2 kernels.
//
// This file alone is compiled for AVX2. It must not use inline functions or
// templates that other files use too (pixel_ops.h, the standard library's):
// the linker keeps one copy of each, and it could be this file's.
#include "effects/mask_kernels.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__AVX2__)

#include <immintrin.h>

#include <cstddef>
#include <cstdlib>

namespace {

constexpr uint32_t opaque_black = 0xFF000000u;

// Memory for the column factors, owned for one call.
class Scratch {
 public:
  explicit Scratch(std::size_t bytes) : p_(std::malloc(bytes)) {}
  ~Scratch() { std::free(p_); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  template <class T>
  T* as() const {
    return static_cast<T*>(p_);
  }

 private:
  void* p_;
};

void scale_row_avx2(uint32_t* row, int32_t w, uint8_t m) {
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
  if (i < w) mask_kernels_sse2.scale_row(row + i, w - i, m);
}

// One row of w pixels, w a multiple of eight. The 256-bit unpacks work
// within 128-bit halves, so the low unpack holds pixels 0, 1, 4, 5 of a
// group and the high one 2, 3, 6, 7; the pack reverses exactly that, and
// the factors are stored in the same order (see columns_avx2).
void columns_row_avx2(uint32_t* row, int32_t w, const uint16_t* k, const uint32_t* or_words) {
  const __m256i zero = _mm256_setzero_si256();
  for (int32_t i = 0; i < w; i += 8) {
    const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i));
    const __m256i k_lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(k + 4 * i));
    const __m256i k_hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(k + 4 * i + 16));
    const __m256i lo = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, p), k_lo);
    const __m256i hi = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, p), k_hi);
    const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(or_words + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), _mm256_or_si256(_mm256_packus_epi16(lo, hi), o));
  }
}

void columns_avx2(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask) {
  const int32_t n = w / 8 * 8;
  if (n > 0) {
    // Lane factors and OR words of the columns, built once for all rows.
    // Without memory for them the SSE2 kernel does the work.
    Scratch k(static_cast<std::size_t>(n) * 4 * sizeof(uint16_t));
    Scratch or_words(static_cast<std::size_t>(n) * sizeof(uint32_t));
    if (k.as<uint16_t>() == nullptr || or_words.as<uint32_t>() == nullptr) {
      mask_kernels_sse2.columns(first, stride, w, h, mask);
      return;
    }
    static constexpr int32_t slot_of[8] = {0, 1, 4, 5, 2, 3, 6, 7};
    for (int32_t i = 0; i < n; ++i) {
      uint16_t* lanes = k.as<uint16_t>() + 4 * ((i & ~7) + slot_of[i & 7]);
      const uint16_t c = static_cast<uint16_t>(mask[i] + 1);
      const bool keep = mask[i] == 255;
      lanes[0] = c;
      lanes[1] = c;
      lanes[2] = c;
      lanes[3] = keep ? 256 : 0;
      or_words.as<uint32_t>()[i] = keep ? 0u : opaque_black;
    }
    for (int32_t j = 0; j < h; ++j) {
      columns_row_avx2(first + static_cast<std::ptrdiff_t>(j) * stride, n, k.as<uint16_t>(),
                       or_words.as<uint32_t>());
    }
  }
  if (n < w) mask_kernels_sse2.columns(first + n, stride, w - n, h, mask + n);
}

}  // namespace

constinit const MaskKernels mask_kernels_avx2{scale_row_avx2, columns_avx2};

#endif  // x86 with AVX2
