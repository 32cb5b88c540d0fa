#include "player/web/surface_layout.h"

#include <algorithm>
#include <bit>

namespace {
int32_t shift_of(uint32_t mask) { return mask == 0 ? 0 : std::countr_zero(mask); }
// SDL 1.2 channels have at most 8 bits.
int32_t loss_of(uint32_t mask) { return 8 - std::min(std::popcount(mask), 8); }
}  // namespace

PixelLayout layout_from_masks(int32_t bytes_per_pixel, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask) {
  PixelLayout layout{};
  layout.bytes_per_pixel = bytes_per_pixel;
  layout.red_shift = shift_of(red_mask);
  layout.green_shift = shift_of(green_mask);
  layout.blue_shift = shift_of(blue_mask);
  layout.red_loss = loss_of(red_mask);
  layout.green_loss = loss_of(green_mask);
  layout.blue_loss = loss_of(blue_mask);
  layout.alpha_mask = bytes_per_pixel == 4 ? ~(red_mask | green_mask | blue_mask) : 0;
  return layout;
}
