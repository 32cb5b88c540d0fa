// Scalar mask loops: the reference the vector kernels match bit for bit,
// and the kernels wherever there are none.
#include <cstddef>

#include "effects/mask_kernels.h"

namespace {

void scale_row_scalar(uint32_t* row, int32_t w, uint8_t m) {
  const uint32_t k = m + 1u;
  for (int32_t i = 0; i < w; ++i) row[i] = scale_rgb(row[i], k) | 0xFF000000u;
}

void columns_scalar(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask) {
  for (int32_t j = 0; j < h; ++j) {
    uint32_t* row = first + static_cast<std::ptrdiff_t>(j) * stride;
    for (int32_t i = 0; i < w; ++i) row[i] = mask_pixel(row[i], mask[i]);
  }
}

}  // namespace

constinit const MaskKernels mask_kernels_scalar{scale_row_scalar, columns_scalar};
