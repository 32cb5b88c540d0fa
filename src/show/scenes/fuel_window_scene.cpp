#include "show/scenes/fuel_window_scene.h"

#include <cmath>
#include <cstring>

#include "show/scenes/scene_helpers.h"

namespace {

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

constexpr WordRule word_a_early{1500, 3499, {pic::technology2, 70, 130, -110}, {pic::answer, 190, 20, 150}};
constexpr WordRule word_a_late{2000, 3999, {pic::technology2, 70, 120, -100}, {pic::answer, 190, 40, 130}};
constexpr WordRule word_b_early{1500, 3499, {pic::possibility, 93, 130, -90}, {pic::problems, 210, 70, 80}};
constexpr WordRule word_b_late{2000, 3999, {pic::possibility, 93, 120, -80}, {pic::problems, 210, 80, 70}};

template <const WordRule& rule>
void word_update(CompositorState& s, const Scene& scene, int32_t t) {
  const WordPlacement& p = t < 4000 ? rule.first_half : rule.second_half;
  set_picture(s, scene.picture(p.picture));
  s.dst_y = p.row;
  const int32_t u = t % 4000;
  if (u < rule.start || u > rule.last) {
    s.opacity = 0;
    return;
  }
  const double v = (u - rule.start) * pi;
  s.opacity = static_cast<uint8_t>(trunc_i32(std::sin(v / 2000.0) * 127.0));
  const double drift = std::sin(v * 0.5 / 2000.0) * p.travel;
  s.dst_x = trunc_i32(p.base + drift);
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

namespace {

void fuel_blur_update(HorizontalBlurState& s, const Scene& scene, int32_t t) {
  s.src = scene.picture(pic::fuel1 + t / 1000 + (t % 125 > 61 ? 1 : 0));
  const double size = std::fabs(std::sin(t * pi * 8.0 / 8000.0)) * std::pow(20.0 - t / 400.0, 2.0);
  // Converted through 64 bits, keeping the low 32.
  s.size = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(size)));
}

void window_mask_update(ColumnMaskState& s, int32_t t) {
  const int32_t p = fuel_window_left(t);
  std::memset(s.mask.data(), 160, static_cast<size_t>(p));
  std::memset(s.mask.data() + p, 0, static_cast<size_t>(window_width));
  std::memset(s.mask.data() + p + window_width, 160, static_cast<size_t>(s.w - p - window_width));
}

void window_photo_update(CompositorState& s, int32_t t) { s.src_x = s.dst_x = fuel_window_left(t); }

void loop_strip_head_update(CompositorState& s, int32_t t) {
  const int32_t r = strip_step(t);
  s.dst_x = t < 4000 ? 7 : 275;
  s.dst_y = t < 4000 ? 217 : 7;
  s.src_y = 11 * r;
  s.src_h = s.dst_h = s.src->height - 11 * r;
}

void loop_strip_tail_update(CompositorState& s, int32_t t) {
  const int32_t r = strip_step(t);
  s.dst_x = t < 4000 ? 7 : 275;
  s.dst_y = t < 4000 ? 221 : 11;
  s.src_h = s.dst_h = 11 * r;
  s.dst_y += s.src->height - 11 * r;
}

void window_right_line_update(AddFillState& s, int32_t t) { s.x = fuel_window_right_line(t); }

void window_left_line_update(AddFillState& s, int32_t t) { s.x = fuel_window_left(t); }

void fuel_flash_update(AddFillState& s, int32_t u) {
  while (u > 3999) u -= 4000;
  s.colour = white_flash(255 - u / 2);
}

}  // namespace

void build_fuel_window_scene(SceneBuilder<>& b) {
  Image* screen = b.screen();

  b.add(update<fuel_blur_update>) = {.src = b.picture(pic::fuel1), .dst = screen, .size = 10};

  // Black under the window's first position, the rest of the screen dimmed.
  ColumnMaskState& mask = b.add(update<window_mask_update>);
  mask = {.image = screen,
          .x = 0,
          .y = 0,
          .w = screen->width,
          .h = screen->height,
          .mask = MaskBytes(screen->width, 160)};
  std::memset(mask.mask.data(), 0, static_cast<size_t>(window_width));

  CompositorState& window = b.add(update<window_photo_update>);
  place_full_frame(window, b.picture(pic::fuel8), screen, 255, blend::replace);
  window.src_w = window.dst_w = window_width;

  place_picture(b.add(update<word_update<word_a_late>>), b.picture(pic::technology2), screen, 0, 20, 255, blend::alpha);
  place_picture(b.add(update<word_update<word_a_early>>), b.picture(pic::technology2), screen, 0, 20, 255,
                blend::alpha);
  place_picture(b.add(update<word_update<word_b_late>>), b.picture(pic::possibility), screen, 0, 40, 255, blend::alpha);
  place_picture(b.add(update<word_update<word_b_early>>), b.picture(pic::possibility), screen, 0, 40, 255,
                blend::alpha);

  add_binary_strip(b, update<loop_strip_head_update>, update<loop_strip_tail_update>);

  b.add(update<window_right_line_update>) = {
      .image = screen, .colour = 0x80FFFFFFu, .x = 399, .y = 0, .w = 1, .h = screen->height};
  b.add(update<window_left_line_update>) = {
      .image = screen, .colour = 0x80FFFFFFu, .x = 0, .y = 0, .w = 1, .h = screen->height};

  b.add_flash(update<fuel_flash_update>);
}
