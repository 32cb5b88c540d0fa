// AddFill: adds one colour to every pixel of a rectangle, saturating per
// channel; the colour's alpha byte is the strength.
#pragma once

#include <cstdint>

#include "core/effect_type.h"
#include "image/image.h"

struct AddFillState {
  Image* image;
  uint32_t colour;  // 0xAARRGGBB, AA = strength
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
};

void add_fill_render(const AddFillState& s, int32_t now_ms);

template <>
struct EffectType<AddFillState> : EffectTypeOf<AddFillState, add_fill_render> {};
inline constexpr EffectInitFn add_fill_init = EffectType<AddFillState>::init;
inline constexpr EffectDestroyFn add_fill_destroy = EffectType<AddFillState>::destroy;
