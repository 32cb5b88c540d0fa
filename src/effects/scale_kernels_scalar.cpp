// Scalar row loops of the scaled path: the reference the vector kernels
// match bit for bit, and the kernels wherever there are none.
#include "effects/pixel_ops.h"
#include "effects/scale_kernels.h"

namespace {

void nearest_row_scalar(uint32_t* dst, const uint32_t* row, const int32_t* col, int32_t n) {
  for (int32_t i = 0; i < n; ++i) dst[i] = row[col[i]];
}

void mix_columns_row_scalar(uint32_t* out, const uint32_t* row, const int32_t* col0,
                            const int32_t* col1, const uint32_t* fx, int32_t n) {
  for (int32_t i = 0; i < n; ++i) out[i] = lerp_bytes(row[col0[i]], row[col1[i]], fx[i] & 0xFFu);
}

void mix_rows_row_scalar(uint32_t* dst, const uint32_t* top, const uint32_t* bottom, int32_t n,
                         uint32_t fy) {
  for (int32_t i = 0; i < n; ++i) dst[i] = lerp_bytes(top[i], bottom[i], fy);
}

}  // namespace

constinit const ScaleKernels scale_kernels_scalar{nearest_row_scalar, mix_columns_row_scalar, mix_rows_row_scalar};
