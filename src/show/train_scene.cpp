#include "show/train_scene.h"

#include <cmath>

#include "effects/add_fill.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

namespace {

constexpr int32_t cue_ms = 40000;
constexpr int32_t scene_ms = 8000;  // after this position, smear and blackout hold

uint8_t capped(int32_t v) { return static_cast<uint8_t>(v > 255 ? 255 : v); }

}  // namespace

void train_slide_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  if (t <= 1999) {
    s->dst_x = 400 - t / 8;  // in from the right edge
  } else if (t <= 3999) {
    s->dst_x = 150;
  } else if (t <= 5999) {
    s->dst_x = 300 - (t - 2000) / 8;  // pushed out to the left, past column 0
  } else if (t < scene_ms) {
    s->dst_x = 0;
  }
}

void train_smear_update(void* state, int32_t now_ms) {
  auto* s = static_cast<ColumnSmearState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  if (t <= 3999) {
    s->column = 0;
    s->span = 0;
  } else if (t <= 5999) {
    // The right part repeats column col, col moving from 300 to 193.
    const int32_t col = trunc_i32(300 - std::sin((t - 4000) * pi * 0.25 / 2000.0) * 150);
    s->column = col;
    s->span = s->image->width - col;
  } else if (t < scene_ms) {
    // The left part repeats column col, col moving from 153 to 126.
    const int32_t col = trunc_i32(std::cos((t - 6000) * pi / 3.0 / 2000.0) * 53 + 100);
    s->column = col;
    s->span = -col;
  }
}

void train_caption_fade_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->opacity = t <= 1999 ? capped(t / 8) : 0;
}

void train_caption_slow_fade_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->opacity = t <= 1999 ? capped(t / 16) : 0;
}

template <int32_t Start>
void word_cascade_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->opacity = (t >= Start && t <= 3999) ? 255 : 0;
}
template void word_cascade_update<3250>(void*, int32_t);
template void word_cascade_update<3500>(void*, int32_t);
template void word_cascade_update<3750>(void*, int32_t);

void late_caption_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->opacity = t <= 5999 ? 0 : capped((t - 6000) / 8);
}

// Saturating add at opacity 0 draws nothing; replace at opacity 0 clears
// the rectangle to black.
void top_blackout_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  if (t <= 7249) {
    s->blend = 1;
    return;
  }
  s->blend = 2;
  if (t <= 7749) {
    s->src_h = s->dst_h = 100;
  } else if (t < scene_ms) {
    s->src_h = s->dst_h = 200;
  }
}

void bottom_blackout_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->blend = t <= 7499 ? 1 : 2;
}

void train_flash_update(void* state, int32_t now_ms) {
  auto* s = static_cast<AddFillState*>(state);
  int32_t u = scene_time(now_ms, cue_ms);
  while (u > 1999) u -= 2000;
  s->colour = u > 511 ? 0u : (static_cast<uint32_t>(255 - u / 2) << 24) | 0x00FFFFFFu;
}

void build_train_scene() {
  begin_scene();
  Image* screen = &screen_image;

  auto* flash = add_effect<AddFillState>(add_fill_init, train_flash_update);
  *flash = {screen, 0x00FFFFFFu, 0, 0, screen->width, screen->height};

  auto* bottom = add_effect<CompositorState>(compositor_init, bottom_blackout_update);
  *bottom = {screen, screen, 0, 0, 0, 200, screen->width, 100, screen->width, 100, 0, 2, 0};
  auto* top = add_effect<CompositorState>(compositor_init, top_blackout_update);
  *top = {screen, screen, 0, 0, 0, 0, screen->width, 100, screen->width, 100, 0, 2, 0};

  place_picture(add_effect<CompositorState>(compositor_init, late_caption_update), picture(39), screen, 55, 206, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, late_caption_update), picture(38), screen, 25, 207, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, word_cascade_update<3750>), picture(37), screen, 60, 215, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, word_cascade_update<3500>), picture(36), screen, 66, 190, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, word_cascade_update<3250>), picture(35), screen, 66, 167, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, train_caption_fade_update), picture(34), screen, 248, 32, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, train_caption_slow_fade_update), picture(33), screen, 92, 32, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, train_caption_fade_update), picture(29), screen, 6, 250, 0, 0);

  auto* smear = add_effect<ColumnSmearState>(column_smear_init, train_smear_update);
  *smear = {screen, 0, 0};

  place_picture(add_effect<CompositorState>(compositor_init, train_slide_update), picture(32), screen, 400, 65, 255, 0);

  auto* photo = add_effect<CompositorState>(compositor_init, nullptr);
  Image* train = picture(31);
  *photo = {train, screen, 0, 0, 0, 0, train->width, train->height, screen->width, screen->height, 255, 2, 0};
}
