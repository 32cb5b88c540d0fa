// HorizontalBlur and VerticalBlur: write a box-blurred copy of src into dst.
// Width and height come from dst and are used for src too.
#pragma once

#include <cstdint>

#include "core/effect_type.h"
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

void horizontal_blur_render(const HorizontalBlurState& s, int32_t now_ms);
void vertical_blur_render(const VerticalBlurState& s, int32_t now_ms);

template <>
struct EffectType<HorizontalBlurState> : EffectTypeOf<HorizontalBlurState, horizontal_blur_render> {};
inline constexpr EffectInitFn horizontal_blur_init = EffectType<HorizontalBlurState>::init;
inline constexpr EffectDestroyFn horizontal_blur_destroy = EffectType<HorizontalBlurState>::destroy;

template <>
struct EffectType<VerticalBlurState> : EffectTypeOf<VerticalBlurState, vertical_blur_render> {};
inline constexpr EffectInitFn vertical_blur_init = EffectType<VerticalBlurState>::init;
inline constexpr EffectDestroyFn vertical_blur_destroy = EffectType<VerticalBlurState>::destroy;
