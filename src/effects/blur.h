// HorizontalBlur and VerticalBlur: write a box-blurred copy of src into dst.
// Width and height come from dst and are used for src too.
#pragma once

#include <cstdint>

#include "core/effect.h"
#include "image/image.h"

struct HorizontalBlurState {
  Image* src;
  Image* dst;
  int32_t size;  // window length; 2 or less copies
};

struct VerticalBlurState {
  Image* src;
  Image* dst;
  int32_t size;  // window length; 2 or less copies
};

void horizontal_blur_init(EffectObject* object);
void horizontal_blur_render(void* state, int32_t now_ms);
void horizontal_blur_destroy(EffectObject* object);

void vertical_blur_init(EffectObject* object);
void vertical_blur_render(void* state, int32_t now_ms);
void vertical_blur_destroy(EffectObject* object);
