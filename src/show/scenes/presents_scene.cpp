#include "show/scenes/presents_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

uint8_t presents_fade(int32_t t) {
  if (t <= 6000) return static_cast<uint8_t>(t / 32);
  return static_cast<uint8_t>(187 - (t - 6000) / 16);
}

namespace {

// Mask bytes of the frame: 255 leaves a column alone, 192 dims it to 193/256.
constexpr uint8_t frame_open = 255;
constexpr uint8_t frame_dim = 192;

void shipyard_pan_update(CompositorState& s, int32_t t) {
  s.opacity = presents_fade(t);
  // Half a turn of the cosine takes 2816 * pi ms (about 8847): the window
  // drifts from column 139 to column 4 within the scene's 8 seconds.
  const double phase = t / 2816.0;
  s.src_x = phase > pi ? 139 : trunc_i32(std::cos(phase) * 69 + 70);
}

void frame_mask_update(ColumnMaskState& s, int32_t t) {
  if (t < 1000 || t > 3999) return;
  const int32_t u = t - 1000;
  const double e = std::sin(u * pi * 0.5 / 3000);
  const int32_t w = s.w;
  const int32_t left = trunc_i32(e * 155);                           // 0 .. 154
  const int32_t right = trunc_i32(static_cast<double>(w) - e * 40);  // 400 .. 360
  uint8_t* m = s.mask.data();
  // Written in this order, so a later write wins where ranges meet.
  for (int32_t i = 0; i < left; ++i) m[i] = frame_dim;
  m[left] = frame_open;
  m[left + 1] = frame_dim;
  m[left + 2] = frame_dim;
  for (int32_t i = left + 3; i <= right - 4; ++i) m[i] = frame_open;
  for (int32_t i = right; i < w; ++i) m[i] = frame_dim;
  m[right - 1] = frame_open;
  m[right - 2] = frame_dim;
  m[right - 3] = frame_dim;
}

void word_flicker_update(CompositorState& s, int32_t t) {
  // Up to 4 s the word flickers: the sign of sin((t / 600)^2) flips ever
  // faster, an accelerating flicker. Then it fades as the symbol does.
  const bool shown = t > 4000 || std::sin(std::pow(t / 600.0, 2.0)) > 0;
  s.opacity = shown ? presents_fade(t) : 0;
}

void symbol_fade_update(CompositorState& s, int32_t t) { s.opacity = presents_fade(t); }

void presents_blur_update(HorizontalBlurState& s, const Scene& scene, int32_t t) {
  s.size = t > 6000 ? scene.random() % ((t - 6000) / 64 + 1) + 1 : 1;
}

}  // namespace

void build_presents_scene(SceneBuilder<>& b) {
  Image* back = b.back_buffer();

  place_full_frame(b.add(update<shipyard_pan_update>), b.picture(pic::shipyard1), back, 0, blend::replace);

  b.add(update<frame_mask_update>) = {
      .image = back, .x = 0, .y = 0, .w = back->width, .h = back->height, .mask = MaskBytes(back->width, frame_open)};

  place_picture(b.add(update<word_flicker_update>), b.picture(pic::yrh), back, 180, 84, 0, blend::alpha);
  place_picture(b.add(update<word_flicker_update>), b.picture(pic::tolvas), back, 205, 78, 0, blend::alpha);
  place_picture(b.add(update<word_flicker_update>), b.picture(pic::present), back, 265, 103, 0, blend::alpha);
  place_picture(b.add(update<symbol_fade_update>), b.picture(pic::symbol), back, 8, 237, 0, blend::alpha);

  b.add(update<presents_blur_update>) = {.src = back, .dst = b.screen(), .size = 1};
}
