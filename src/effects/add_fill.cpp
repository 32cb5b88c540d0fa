// AddFill: a constant colour saturating-added to every pixel of a rectangle.
#include "effects/add_fill.h"

#include <algorithm>
#include <cstdlib>

#include "effects/blend_kernels.h"
#include "effects/pixel_ops.h"

void add_fill_init(EffectObject* object) {
  object->render = add_fill_render;
  object->init = add_fill_init;
  object->update = nullptr;
  object->destroy = add_fill_destroy;
  object->state = std::calloc(1, sizeof(AddFillState));
}

void add_fill_render(void* state, int32_t /*now_ms*/) {
  const auto* st = static_cast<const AddFillState*>(state);
  if (st == nullptr || st->image == nullptr) return;
  const Image& image = *st->image;
  // The colour is scaled once by its own strength, k = alpha + 1.
  const uint32_t colour = scale_rgb(st->colour, (st->colour >> 24) + 1u);
  // The rectangle is clipped to the image: a part outside it has no pixels
  // to change, and writing there would corrupt memory.
  const int64_t x0 = std::max<int64_t>(st->x, 0);
  const int64_t y0 = std::max<int64_t>(st->y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{st->x} + st->w, image.width);
  const int64_t y1 = std::min<int64_t>(int64_t{st->y} + st->h, image.height);
  if (x1 <= x0 || y1 <= y0) return;
  const BlendKernels& kernels = blend_kernels();
  for (int64_t y = y0; y < y1; ++y) {
    kernels.add_colour_row(image.pixels + y * image.width + x0, static_cast<int32_t>(x1 - x0), colour);
  }
}

void add_fill_destroy(EffectObject* object) {
  std::free(object->state);
  object->state = nullptr;
}
