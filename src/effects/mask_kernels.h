// Row loops of RowMask and ColumnMask on an already clipped rectangle.
//
// Mask rule for a pixel p and mask byte m (k = m + 1):
//   m = 255    -> p unchanged, alpha included
//   m = 0      -> 0xFF000000
//   otherwise  -> each colour channel v becomes (v * k) >> 8, alpha 255
#pragma once

#include <cstdint>

#include "effects/pixel_ops.h"

inline uint32_t mask_pixel(uint32_t p, uint8_t m) {
  if (m == 255) return p;
  return scale_rgb(p, m + 1u) | 0xFF000000u;
}

// `first` is the top-left pixel of a w x h rectangle inside an image whose
// rows are `stride` words apart. RowMask: mask[j] serves row j (h bytes).
// Rows with byte 255 are not touched, rows with byte 0 are written without
// being read, the others go to the kernels of the level in use.
void row_mask_apply(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask);

// ColumnMask: mask[i] serves column i of every row (w bytes). Columns of
// byte 255 at either end are not touched.
void column_mask_apply(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask);

struct MaskKernels {
  // Every colour channel of row[0 .. w) scaled by k = m + 1 and alpha set
  // to 255, for m = 1..254.
  void (*scale_row)(uint32_t* row, int32_t w, uint8_t m);
  // mask_pixel(p, mask[i]) for every pixel p in column i of a w x h
  // rectangle (w, h >= 1), `first` and `stride` as above.
  void (*columns)(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask);
};

// The kernels of each level (kernel_dispatch.h); a level this build lacks
// has no definition.
extern const MaskKernels mask_kernels_scalar;
extern const MaskKernels mask_kernels_sse2;
extern const MaskKernels mask_kernels_avx2;

// The kernels of the level in use.
const MaskKernels& mask_kernels();
