// AddFill: adds one colour to every pixel of a rectangle, saturating per
// channel; the colour's alpha byte is the strength.
#pragma once

#include <cstdint>

#include "core/effect.h"
#include "image/image.h"

struct AddFillState {
  Image* image;
  uint32_t colour;  // 0xAARRGGBB, AA = strength
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
};

void add_fill_init(EffectObject* object);
void add_fill_render(void* state, int32_t now_ms);
void add_fill_destroy(EffectObject* object);
