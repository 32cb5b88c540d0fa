// The blur's division constants and its choice of kernels, the same at
// every level.
#include "effects/blur_kernels.h"

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

void horizontal_blur_apply(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n) {
  if (w <= 0 || h <= 0) return;
  const BlurKernels& kernels = n <= blur_vector_max_size ? blur_kernels() : blur_kernels_scalar;
  kernels.horizontal(src, dst, w, h, n);
}

void vertical_blur_apply(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n) {
  if (w <= 0 || h <= 0) return;
  const BlurKernels& kernels = n <= blur_vector_max_size ? blur_kernels() : blur_kernels_scalar;
  kernels.vertical(src, dst, w, h, n);
}
