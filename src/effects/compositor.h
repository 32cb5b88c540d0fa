// Compositor: puts one rectangle of a source image onto a rectangle of a
// destination image, one to one with a blend rule, or scaled.
#pragma once

#include <cstdint>

#include "core/effect_type.h"
#include "image/image.h"

// The blend rules of the one-to-one path (CompositorState::blend); a value
// other than these draws nothing.
namespace blend {
enum class Rule : uint8_t {
  alpha = 0,    // alpha blend: the source over the destination
  add = 1,      // saturating add of the source
  replace = 2,  // the source replaces the destination
};
using enum Rule;
}  // namespace blend

struct CompositorState {
  Image* src;
  Image* dst;
  int32_t src_x;
  int32_t src_y;
  int32_t dst_x;
  int32_t dst_y;
  int32_t src_w;
  int32_t src_h;
  int32_t dst_w;
  int32_t dst_h;
  uint8_t opacity;    // factor k = opacity + 1
  blend::Rule blend;  // one-to-one path
  uint8_t smooth;     // scaled path: 0 nearest pixel, otherwise bilinear
};

void compositor_render(const CompositorState& s, int32_t now_ms);

template <>
struct EffectType<CompositorState> : EffectTypeOf<CompositorState, compositor_render> {};
inline constexpr EffectInitFn compositor_init = EffectType<CompositorState>::init;
inline constexpr EffectDestroyFn compositor_destroy = EffectType<CompositorState>::destroy;
