// The blur's division constants and its choice of kernels, the same at
// every level.
#include "effects/blur_kernels.h"

#include <memory>
#include <new>

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

std::size_t blur_prefix_entries(int32_t w, int32_t n) {
  return (static_cast<std::size_t>(w) + static_cast<std::size_t>(n) + 4) * 4;
}

std::size_t blur_column_entries(int32_t w) { return static_cast<std::size_t>(w) * 4; }

namespace {

// The kernels a blur with a window of n takes, with what they need: the
// vector kernels of the level in use get their divider and `entries` lanes.
// A window too large for 16-bit lanes, or no memory for the lanes, takes the
// scalar kernels, which need neither.
struct BlurCall {
  const BlurKernels* kernels = &blur_kernels_scalar;
  LaneDivider divider{};
  std::unique_ptr<uint16_t[]> lanes;
};

BlurCall prepare_blur(int32_t n, std::size_t entries) {
  BlurCall call;
  const BlurKernels& level = blur_kernels();
  if (n > blur_vector_max_size || &level == &blur_kernels_scalar) return call;
  call.lanes.reset(new (std::nothrow) uint16_t[entries]);
  if (!call.lanes) return call;
  call.kernels = &level;
  call.divider = make_lane_divider(static_cast<uint32_t>(n));
  return call;
}

}  // namespace

void horizontal_blur_apply(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n) {
  if (w <= 0 || h <= 0) return;
  const BlurCall call = prepare_blur(n, blur_rows_at_a_time * blur_prefix_entries(w, n));
  call.kernels->horizontal(src, dst, w, h, n, call.divider, call.lanes.get());
}

void vertical_blur_apply(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n) {
  if (w <= 0 || h <= 0) return;
  const BlurCall call = prepare_blur(n, blur_column_entries(w));
  call.kernels->vertical(src, dst, w, h, n, call.divider, call.lanes.get());
}
