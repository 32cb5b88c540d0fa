// AddFill: a constant colour saturating-added to every pixel of a rectangle.
#include "effects/add_fill.h"

#include <algorithm>

#include "effects/blend_kernels.h"
#include "effects/pixel_ops.h"

void add_fill_render(const AddFillState& s, int32_t /*now_ms*/) {
  if (s.image == nullptr || s.image->pixels == nullptr) return;
  const Image& image = *s.image;
  // The colour is scaled once by its own strength, k = alpha + 1.
  const uint32_t colour = scale_rgb(s.colour, (s.colour >> 24) + 1u);
  // The rectangle is clipped to the image: a part outside it has no pixels
  // to change, and writing there would corrupt memory.
  const int64_t x0 = std::max<int64_t>(s.x, 0);
  const int64_t y0 = std::max<int64_t>(s.y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{s.x} + s.w, image.width);
  const int64_t y1 = std::min<int64_t>(int64_t{s.y} + s.h, image.height);
  if (x1 <= x0 || y1 <= y0) return;
  const BlendKernels& kernels = blend_kernels();
  for (int64_t y = y0; y < y1; ++y) {
    kernels.add_colour_row(image.pixels + y * image.width + x0, static_cast<int32_t>(x1 - x0), colour);
  }
}
