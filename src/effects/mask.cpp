#include "effects/mask.h"

#include <algorithm>

#include "effects/mask_kernels.h"

namespace {

// The part of a rectangle that lies inside an image, half-open, and the
// offset of its top-left corner from the rectangle's own (which is also the
// offset into a row or column mask).
struct Clipped {
  int32_t x0, y0, x1, y1;
  int32_t skip_x, skip_y;
};

// Scenes keep their rectangles inside the image; clipping here only makes
// a stray rectangle harmless instead of writing outside the pixel array.
// Arithmetic is 64-bit so that x + w cannot overflow.
bool clip_rect(const Image* image, int32_t x, int32_t y, int32_t w, int32_t h, Clipped& c) {
  if (image == nullptr || image->pixels == nullptr || w <= 0 || h <= 0) return false;
  const int64_t x0 = std::max<int64_t>(x, 0);
  const int64_t y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{x} + w, image->width);
  const int64_t y1 = std::min<int64_t>(int64_t{y} + h, image->height);
  if (x0 >= x1 || y0 >= y1) return false;
  c = Clipped{static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1),
              static_cast<int32_t>(y1), static_cast<int32_t>(x0 - x), static_cast<int32_t>(y0 - y)};
  return true;
}

uint32_t* corner(const Image* image, const Clipped& c) {
  return image->pixels + static_cast<std::ptrdiff_t>(c.y0) * image->width + c.x0;
}

// A mask covers as many rows (columns) of the rectangle as it has bytes:
// those beyond its end have no byte to apply and are left alone.
int32_t mask_extent(int32_t extent, const MaskBytes& mask) {
  return static_cast<int32_t>(std::min<int64_t>(extent, static_cast<int64_t>(mask.size())));
}

}  // namespace

void row_mask_render(const RowMaskState& s, int32_t /*now_ms*/) {
  Clipped c;
  if (!clip_rect(s.image, s.x, s.y, s.w, mask_extent(s.h, s.mask), c)) return;
  row_mask_apply(corner(s.image, c), s.image->width, c.x1 - c.x0, c.y1 - c.y0, s.mask.data() + c.skip_y);
}

void column_mask_render(const ColumnMaskState& s, int32_t /*now_ms*/) {
  Clipped c;
  if (!clip_rect(s.image, s.x, s.y, mask_extent(s.w, s.mask), s.h, c)) return;
  column_mask_apply(corner(s.image, c), s.image->width, c.x1 - c.x0, c.y1 - c.y0, s.mask.data() + c.skip_x);
}
