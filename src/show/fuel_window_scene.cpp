#include "show/fuel_window_scene.h"

#include <cmath>
#include <cstring>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/mask.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

namespace {

constexpr int32_t cue_ms = 96000;

constexpr int32_t first_fuel = 100;
constexpr int32_t window_picture = 107;
constexpr int32_t window_width = 133;

// Cosine easing from a glide's start time t0 (1 at t0, -1 a second later).
double ease(int32_t t, int32_t t0) { return std::cos((t - t0) * pi / 1000.0); }

// One word object: a window of the 4000 ms period in which it drifts from B
// towards B + A while its opacity swells, with its picture and row for each
// half of the scene.
struct WordPlacement {
  int32_t picture;
  int32_t row;
  double base;    // B
  double travel;  // A
};

struct WordRule {
  int32_t start;  // window start s
  int32_t last;   // last active u (inclusive)
  WordPlacement first_half;
  WordPlacement second_half;
};

constexpr WordRule word_a_early{1500, 3499, {109, 70, 130, -110}, {111, 190, 20, 150}};
constexpr WordRule word_a_late{2000, 3999, {109, 70, 120, -100}, {111, 190, 40, 130}};
constexpr WordRule word_b_early{1500, 3499, {110, 93, 130, -90}, {112, 210, 70, 80}};
constexpr WordRule word_b_late{2000, 3999, {110, 93, 120, -80}, {112, 210, 80, 70}};

void apply_word_rule(CompositorState* s, int32_t now, const WordRule& rule) {
  const int32_t t = scene_time(now, cue_ms);
  const WordPlacement& p = t < 4000 ? rule.first_half : rule.second_half;
  s->src = picture(p.picture);
  s->src_w = s->dst_w = s->src->width;
  s->src_h = s->dst_h = s->src->height;
  s->dst_y = p.row;
  const int32_t u = t % 4000;
  if (u < rule.start || u > rule.last) {
    s->opacity = 0;
    return;
  }
  const double v = (u - rule.start) * pi;
  s->opacity = static_cast<uint8_t>(trunc_i32(std::sin(v / 2000.0) * 127.0));
  const double drift = std::sin(v * 0.5 / 2000.0) * p.travel;
  s->dst_x = trunc_i32(p.base + drift);
}

// The strip loop: 11 rows every 62.5 ms, repeating after seven steps.
int32_t strip_step(int32_t t) { return ((2 * t) / 125) % 7; }

}  // namespace

int32_t fuel_window_left(int32_t t) {
  if (t < 1250) return 0;
  if (t < 2250) return trunc_i32(66.0 - 66.0 * ease(t, 1250));
  if (t < 3250) return 133;
  if (t < 4250) return trunc_i32(200.0 - 66.0 * ease(t, 3250));
  if (t < 5250) return 267;
  if (t < 6250) return trunc_i32(66.0 * ease(t, 5250) + 200.0);
  if (t < 7250) return 133;
  return trunc_i32(66.0 * ease(t, 7250) + 66.0);
}

int32_t fuel_window_right_line(int32_t t) {
  if (t < 1250) return 133;
  if (t < 2250) return trunc_i32(200.0 - 66.0 * ease(t, 1250));
  if (t < 3250) return 267;
  if (t < 4250) return trunc_i32(333.0 - 66.0 * ease(t, 3250));
  if (t < 5250) return 399;
  if (t < 6250) return trunc_i32(66.0 * ease(t, 5250) + 333.0);
  if (t < 7250) return 267;
  return trunc_i32(66.0 * ease(t, 7250) + 200.0);
}

void fuel_blur_update(void* state, int32_t now) {
  auto* s = static_cast<HorizontalBlurState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  s->src = picture(first_fuel + t / 1000 + (t % 125 > 61 ? 1 : 0));
  const double size = std::fabs(std::sin(t * pi * 8.0 / 8000.0)) * std::pow(20.0 - t / 400.0, 2.0);
  // Converted through 64 bits, keeping the low 32.
  s->size = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(size)));
}

void window_mask_update(void* state, int32_t now) {
  auto* s = static_cast<ColumnMaskState*>(state);
  const int32_t p = fuel_window_left(scene_time(now, cue_ms));
  std::memset(s->mask, 160, static_cast<size_t>(p));
  std::memset(s->mask + p, 0, static_cast<size_t>(window_width));
  std::memset(s->mask + p + window_width, 160, static_cast<size_t>(s->w - p - window_width));
}

void window_photo_update(void* state, int32_t now) {
  auto* s = static_cast<CompositorState*>(state);
  s->src_x = s->dst_x = fuel_window_left(scene_time(now, cue_ms));
}

void word_a_early_update(void* state, int32_t now) {
  apply_word_rule(static_cast<CompositorState*>(state), now, word_a_early);
}
void word_a_late_update(void* state, int32_t now) {
  apply_word_rule(static_cast<CompositorState*>(state), now, word_a_late);
}
void word_b_early_update(void* state, int32_t now) {
  apply_word_rule(static_cast<CompositorState*>(state), now, word_b_early);
}
void word_b_late_update(void* state, int32_t now) {
  apply_word_rule(static_cast<CompositorState*>(state), now, word_b_late);
}

void loop_strip_head_update(void* state, int32_t now) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  const int32_t r = strip_step(t);
  s->dst_x = t < 4000 ? 7 : 275;
  s->dst_y = t < 4000 ? 217 : 7;
  s->src_y = 11 * r;
  s->src_h = s->dst_h = s->src->height - 11 * r;
}

void loop_strip_tail_update(void* state, int32_t now) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  const int32_t r = strip_step(t);
  s->dst_x = t < 4000 ? 7 : 275;
  s->dst_y = t < 4000 ? 221 : 11;
  s->src_h = s->dst_h = 11 * r;
  s->dst_y += s->src->height - 11 * r;
}

void window_right_line_update(void* state, int32_t now) {
  static_cast<AddFillState*>(state)->x = fuel_window_right_line(scene_time(now, cue_ms));
}

void window_left_line_update(void* state, int32_t now) {
  static_cast<AddFillState*>(state)->x = fuel_window_left(scene_time(now, cue_ms));
}

void fuel_flash_update(void* state, int32_t now) {
  auto* s = static_cast<AddFillState*>(state);
  int32_t u = scene_time(now, cue_ms);
  while (u > 3999) u -= 4000;
  s->colour = u > 511 ? 0u : (static_cast<uint32_t>(255 - u / 2) << 24) | 0x00FFFFFFu;
}

void build_fuel_window_scene() {
  begin_scene();
  Image* screen = &screen_image;

  auto* flash = add_effect<AddFillState>(add_fill_init, fuel_flash_update);
  *flash = {screen, 0xFFFFFFFFu, 0, 0, screen->width, screen->height};

  auto* left_line = add_effect<AddFillState>(add_fill_init, window_left_line_update);
  *left_line = {screen, 0x80FFFFFFu, 0, 0, 1, screen->height};
  auto* right_line = add_effect<AddFillState>(add_fill_init, window_right_line_update);
  *right_line = {screen, 0x80FFFFFFu, 399, 0, 1, screen->height};

  add_binary_strip(loop_strip_head_update, loop_strip_tail_update);

  struct Word {
    EffectUpdateFn update;
    int32_t picture;
    int32_t row;
  };
  static constexpr Word words[] = {
      // created in reverse processing order
      {word_b_early_update, 110, 40},
      {word_b_late_update, 110, 40},
      {word_a_early_update, 109, 20},
      {word_a_late_update, 109, 20},
  };
  for (const Word& w : words) {
    place_picture(add_effect<CompositorState>(compositor_init, w.update), picture(w.picture), screen, 0, w.row, 255,
                  0);
  }

  auto* window = add_effect<CompositorState>(compositor_init, window_photo_update);
  place_full_frame(window, picture(window_picture), screen, 255, 2);
  window->src_w = window->dst_w = window_width;

  // Black under the window's first position, the rest of the screen dimmed.
  auto* mask = add_effect<ColumnMaskState>(column_mask_init, window_mask_update);
  *mask = {screen, 0, 0, screen->width, screen->height, filled_mask(screen->width, 160)};
  std::memset(mask->mask, 0, static_cast<size_t>(window_width));

  auto* blur = add_effect<HorizontalBlurState>(horizontal_blur_init, fuel_blur_update);
  *blur = {picture(first_fuel), screen, 10};
}
