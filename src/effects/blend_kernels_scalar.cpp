// Scalar row loops of the one-to-one blends: the reference the vector
// kernels match bit for bit, and the kernels wherever there are none.
#include "effects/blend_kernels.h"
#include "effects/pixel_ops.h"

namespace {

void alpha_row_scalar(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  for (int32_t i = 0; i < n; ++i) dst[i] = alpha_blend(src[i], dst[i], k);
}

void add_row_scalar(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  for (int32_t i = 0; i < n; ++i) dst[i] = additive_blend(src[i], dst[i], k);
}

void replace_row_scalar(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k) {
  for (int32_t i = 0; i < n; ++i) dst[i] = scaled_replace(src[i], k);
}

void add_colour_row_scalar(uint32_t* dst, int32_t n, uint32_t colour) {
  for (int32_t i = 0; i < n; ++i) dst[i] = saturating_add(dst[i], colour);
}

}  // namespace

constinit const BlendKernels blend_kernels_scalar{alpha_row_scalar, add_row_scalar, replace_row_scalar,
                                                  add_colour_row_scalar};
