// SSE2 row kernels of the scaled path. The mixes use the 16-bit lane
// arithmetic explained in blend_kernels_sse2.cpp: a byte x held as x << 8
// and high-multiplied by a weight w <= 256 gives (x * w) >> 8 exactly, as
// lerp_bytes computes it.
#include "effects/scale_kernels.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include "effects/pixel_ops.h"

namespace {

void nearest_row_sse2(uint32_t* dst, const uint32_t* row, const int32_t* col, int32_t n) {
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i v = _mm_setr_epi32(static_cast<int>(row[col[i]]), static_cast<int>(row[col[i + 1]]),
                                     static_cast<int>(row[col[i + 2]]), static_cast<int>(row[col[i + 3]]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), v);
  }
  for (; i < n; ++i) dst[i] = row[col[i]];
}

// Two output pixels whose neighbours are adjacent in the source row: each
// pair P0, P1 comes with one 64-bit load, the weights are laid out as
// (256 - f) over P0's channels and f over P1's, and the two products of a
// channel are added by swapping the pair's halves. Blue/red and green/alpha
// sit in separate 16-bit lanes (x << 8), as in blend_kernels_sse2.cpp.
inline __m128i mix_pairs_sse2(__m128i pairs, __m128i weights) {
  const __m128i odd = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
  __m128i rb = _mm_mulhi_epu16(_mm_slli_epi16(pairs, 8), weights);
  __m128i ga = _mm_mulhi_epu16(_mm_and_si128(pairs, odd), weights);
  rb = _mm_add_epi16(rb, _mm_shuffle_epi32(rb, 0xB1));
  ga = _mm_add_epi16(ga, _mm_shuffle_epi32(ga, 0xB1));
  return _mm_or_si128(rb, _mm_slli_epi16(ga, 8));  // results in dwords 0 and 2
}

void mix_columns_row_sse2(uint32_t* out, const uint32_t* row, const int32_t* col0,
                          const int32_t* col1, const uint32_t* fx, int32_t n) {
  const __m128i c256 = _mm_set1_epi16(256);
  int32_t i = 0;
  for (; i + 2 <= n; i += 2) {
    if (col1[i] != col0[i] + 1 || col1[i + 1] != col0[i + 1] + 1) {
      // A neighbour clamped at the source's right edge: not a pair in memory.
      out[i] = lerp_bytes(row[col0[i]], row[col1[i]], fx[i] & 0xFFu);
      out[i + 1] = lerp_bytes(row[col0[i + 1]], row[col1[i + 1]], fx[i + 1] & 0xFFu);
      continue;
    }
    const __m128i pairs =
        _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + col0[i])),
                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + col0[i + 1])));
    const __m128i f = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(fx + i));
    const __m128i weights = _mm_unpacklo_epi32(_mm_sub_epi16(c256, f), f);
    const __m128i mixed = mix_pairs_sse2(pairs, weights);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_shuffle_epi32(mixed, 0x08));
  }
  for (; i < n; ++i) out[i] = lerp_bytes(row[col0[i]], row[col1[i]], fx[i] & 0xFFu);
}

void mix_rows_row_sse2(uint32_t* dst, const uint32_t* top, const uint32_t* bottom, int32_t n,
                       uint32_t fy) {
  const __m128i odd = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
  const __m128i f = _mm_set1_epi16(static_cast<short>(fy));
  const __m128i g = _mm_set1_epi16(static_cast<short>(256 - fy));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + i));
    const __m128i rb = _mm_add_epi16(_mm_mulhi_epu16(_mm_slli_epi16(t, 8), g),
                                     _mm_mulhi_epu16(_mm_slli_epi16(b, 8), f));
    const __m128i ga = _mm_add_epi16(_mm_mulhi_epu16(_mm_and_si128(t, odd), g),
                                     _mm_mulhi_epu16(_mm_and_si128(b, odd), f));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(rb, _mm_slli_epi16(ga, 8)));
  }
  for (; i < n; ++i) dst[i] = lerp_bytes(top[i], bottom[i], fy);
}

}  // namespace

constinit const ScaleKernels scale_kernels_sse2{nearest_row_sse2, mix_columns_row_sse2, mix_rows_row_sse2};

#endif  // __SSE2__
