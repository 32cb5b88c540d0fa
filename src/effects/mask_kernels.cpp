// The row and column walks of the masks, the same at every level: what
// costs no pixel work is skipped here, the rest goes to the kernels.
#include "effects/mask_kernels.h"

#include <algorithm>
#include <cstddef>

void row_mask_apply(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask) {
  if (w <= 0 || h <= 0) return;
  const MaskKernels& kernels = mask_kernels();
  for (int32_t j = 0; j < h; ++j) {
    const uint8_t m = mask[j];
    if (m == 255) continue;  // untouched, not even read
    uint32_t* row = first + static_cast<std::ptrdiff_t>(j) * stride;
    if (m == 0) {
      std::fill(row, row + w, 0xFF000000u);  // written without reading
      continue;
    }
    kernels.scale_row(row, w, m);
  }
}

void column_mask_apply(uint32_t* first, int32_t stride, int32_t w, int32_t h, const uint8_t* mask) {
  if (w <= 0 || h <= 0) return;
  // Columns with byte 255 at either end change nothing: narrow the rectangle
  // to the columns between the first and last byte that is not 255. A mask of
  // all 255 (the usual resting state of a scene's mask) costs no pixel work.
  int32_t begin = 0;
  while (begin < w && mask[begin] == 255) ++begin;
  if (begin == w) return;
  int32_t end = w;
  while (mask[end - 1] == 255) --end;
  mask_kernels().columns(first + begin, stride, end - begin, h, mask + begin);
}
