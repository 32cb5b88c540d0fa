// Box-blur kernels of HorizontalBlur and VerticalBlur.
//
// Result for a window of n >= 3 pixels: output pixel x (y for the vertical
// blur) is, per channel (alpha included), the truncated quotient by n of the
// sum over positions x - (n - 1) / 2 .. x + n / 2, positions clamped to the
// first and last pixel of the line. The kernels of every level produce
// exactly these bits; they differ only in speed.
#pragma once

#include <cstddef>
#include <cstdint>

// The vector kernels keep window sums in 16-bit lanes: a channel sum is at
// most 255 * n, which fits for n <= 257 (255 * 257 = 65535). Larger windows
// take the scalar path, which sums in 64 bits.
inline constexpr int32_t blur_vector_max_size = 257;

// Exact division of a 16-bit lane by a constant n (3..65535) through a
// multiply-high. Simple form, where it is exact for every sum up to
// 255 * n: q = (s * mul) >> (16 + shift). Otherwise the round-down form
// that is exact for every 16-bit s: t = (s * mul) >> 16,
// q = (t + ((s - t) >> 1)) >> shift.
struct LaneDivider {
  uint16_t mul;
  uint8_t shift;
  bool simple;
};

LaneDivider make_lane_divider(uint32_t n);

inline uint32_t lane_divide(const LaneDivider& d, uint32_t s) {
  const uint32_t t = (s * d.mul) >> 16;
  return d.simple ? t >> d.shift : (t + ((s - t) >> 1)) >> d.shift;
}

// Blur a w x h image (rows of w words, no gap) from src into dst with a
// window of n >= 3. src and dst must not overlap. Windows above
// blur_vector_max_size take the scalar kernels, the others those of the
// level in use.
void horizontal_blur_apply(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n);
void vertical_blur_apply(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n);

// The lane buffers a vector kernel works in, one pass of horizontal_blur_apply
// or vertical_blur_apply handing them over: for the horizontal blur, prefix
// sums of w + n entries of four lanes plus slack for the pad loops, once per
// row the kernel blurs at a time (AVX2 blurs rows in pairs); for the vertical
// blur, the sums of w columns. (Defined out of line: the AVX2 file may not
// share inline code with the others.)
inline constexpr int32_t blur_rows_at_a_time = 2;
std::size_t blur_prefix_entries(int32_t w, int32_t n);
std::size_t blur_column_entries(int32_t w);

struct BlurKernels {
  // The blurs above for w, h >= 1. The vector levels take
  // n <= blur_vector_max_size, the divider make_lane_divider(n) and lanes of
  // blur_rows_at_a_time * blur_prefix_entries(w, n) (horizontal) or
  // blur_column_entries(w) (vertical) entries; the scalar level needs
  // neither.
  void (*horizontal)(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                     uint16_t* lanes);
  void (*vertical)(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider& d,
                   uint16_t* lanes);
};

// The kernels of each level (kernel_dispatch.h); a level this build lacks
// has no definition.
extern const BlurKernels blur_kernels_scalar;
extern const BlurKernels blur_kernels_sse2;
extern const BlurKernels blur_kernels_avx2;

// The kernels of the level in use.
const BlurKernels& blur_kernels();
