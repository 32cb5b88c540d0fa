// Row loops of RowMask and ColumnMask on an already clipped rectangle.
//
// Mask rule for a pixel p and mask byte m (k = m + 1):
//   m = 255    -> p unchanged, alpha included
//   m = 0      -> 0xFF000000
//   otherwise  -> each colour channel v becomes (v * k) >> 8, alpha 255
#pragma once

#include <cstdint>

#include "effects/kernel_dispatch.h"
#include "effects/pixel_ops.h"

inline uint32_t mask_pixel(uint32_t p, uint8_t m) {
  if (m == 255) return p;
  return scale_rgb(p, m + 1u) | 0xFF000000u;
}

// `first` is the top-left pixel of a w x h rectangle inside an image whose
// rows are `stride` words apart. RowMask: mask[j] serves row j (h bytes).
void row_mask_apply(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask,
                    SimdLevel level);

// ColumnMask: mask[i] serves column i of every row (w bytes).
void column_mask_apply(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask,
                       SimdLevel level);
