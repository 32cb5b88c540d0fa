#include "show/design_scene.h"

#include <cmath>
#include <cstdlib>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

namespace {

constexpr int32_t cue_ms = 16000;
constexpr int32_t ease_ms = 4000;   // the words rest from here on
constexpr int32_t decay_ms = 7000;  // darkening, ghost and random blur after this

// Rises from 0 to 1 over the first 4000 ms (callers use it only before then).
double ease(int32_t t) { return std::sin(t * pi * 0.5 / ease_ms); }

// One column every 90 ms, stopping at column 79.
int32_t drift_column(int32_t t) {
  const int32_t column = t / 90;
  return column > 79 ? 79 : column;
}

}  // namespace

void factory_photo_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  if (t > decay_ms) {
    // 255 - (q mod 256) is the complement of q's low byte.
    const int32_t q = (t - decay_ms) / 2;
    s->opacity = static_cast<uint8_t>(255 - (q % 256));
  }
  s->src_x = drift_column(t);
}

void design_rise_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->dst_y = t > ease_ms - 1 ? 175 : trunc_i32(static_cast<double>(s->dst->height) - ease(t) * 125);
}

void design_drop_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->dst_y = t > ease_ms - 1 ? 45 : trunc_i32(ease(t) * 45);
}

void crossplatform_slide_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->dst_x = t > ease_ms - 1 ? 185 : trunc_i32(400 - ease(t) * 215);
}

void demo_slide_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->dst_x = t > ease_ms - 1 ? 340 : trunc_i32(400 - ease(t) * 60);
}

void factory_ghost_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  if (t > decay_ms) {
    s->opacity = 16;
    s->dst_y = std::rand() % 50;
  } else {
    s->opacity = 0;  // dst_y keeps its last value
  }
  s->src_x = drift_column(t);
}

void design_blur_update(void* state, int32_t now_ms) {
  auto* s = static_cast<VerticalBlurState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->size = t > decay_ms ? std::rand() % ((t - decay_ms) / 4 + 1) + 1 : 1;
}

void design_flash_update(void* state, int32_t now_ms) {
  auto* s = static_cast<AddFillState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  const int32_t k = t / 24;
  s->colour = k > 255 ? 0u : (static_cast<uint32_t>(255 - k) << 24) | 0x00FFFFFFu;
}

void build_design_scene() {
  begin_scene();
  Image* back = back_buffer();

  auto* flash = add_effect<AddFillState>(add_fill_init, design_flash_update);
  *flash = {&screen_image, 0xFFFFFFFFu, 0, 0, screen_image.width, screen_image.height};

  auto* blur = add_effect<VerticalBlurState>(vertical_blur_init, design_blur_update);
  blur->src = back;
  blur->dst = &screen_image;
  blur->size = 1;

  place_full_frame(add_effect<CompositorState>(compositor_init, factory_ghost_update), picture(8), back, 0, 1);
  place_picture(add_effect<CompositorState>(compositor_init, demo_slide_update), picture(13), back, 285, 183, 160, 0);
  place_picture(add_effect<CompositorState>(compositor_init, crossplatform_slide_update), picture(12), back, 205, 145, 128, 0);
  place_picture(add_effect<CompositorState>(compositor_init, design_drop_update), picture(11), back, 0, 78, 32, 0);
  place_picture(add_effect<CompositorState>(compositor_init, design_rise_update), picture(10), back, 0, 28, 32, 0);
  place_full_frame(add_effect<CompositorState>(compositor_init, factory_photo_update), picture(8), back, 255, 2);
}
