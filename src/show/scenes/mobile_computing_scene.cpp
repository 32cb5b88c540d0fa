#include "show/scenes/mobile_computing_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

// One step of the laptop cross-fade chain: which pictures the back and
// front layers show and how strongly.
struct FadeStep {
  int32_t back;
  int32_t front;
  uint8_t back_opacity;
  uint8_t front_opacity;
};

// The chain holds between fades and, inside a fade, moves both pictures by
// k = trunc(x) steps (direction +1 or -1) while f, the fraction of x in
// 256ths, shifts the weight from the back layer to the front layer.
FadeStep laptop_fade(int32_t t) {
  struct Phase {
    int32_t start;  // phase start; a fade lasts 500 ms
    int32_t back;
    int32_t front;
    int32_t direction;
  };
  static constexpr Phase fades[] = {
      {1500, pic::laptop1, pic::laptop2, +1},
      {3500, pic::laptop9, pic::laptop10, +1},
      {5500, pic::laptop16, pic::laptop15, -1},
  };
  static constexpr FadeStep holds[] = {
      {pic::laptop1, pic::laptop2, 255, 0},    // t < 1500
      {pic::laptop9, pic::laptop10, 255, 0},   // 2000 <= t < 3500
      {pic::laptop16, pic::laptop15, 255, 0},  // 4000 <= t < 5500
      {pic::laptop8, pic::laptop7, 255, 0},    // t >= 6000
  };
  for (int i = 0; i < 3; ++i) {
    const Phase& fade = fades[i];
    if (t < fade.start) return holds[i];
    if (t < fade.start + 500) {
      const double x = (t - fade.start) * 7.0 / 500.0;
      const int32_t k = trunc_i32(x);
      const int32_t f = trunc_i32(std::fmod(x, 1.0) * 256.0);
      return {fade.back + fade.direction * k, fade.front + fade.direction * k, static_cast<uint8_t>(255 - f),
              static_cast<uint8_t>(f)};
    }
  }
  return holds[3];
}

// The sine swell shared by the captions: rises and falls over each 4000 ms
// half, scaled by `peak` (negated in the second half, where the sine is
// negative).
uint8_t swell(int32_t t, double peak) { return static_cast<uint8_t>(trunc_i32(std::sin(t * pi / 4000.0) * peak)); }

// The strip loop: 11 rows every 62.5 ms, repeating after six steps.
int32_t strip_step(int32_t t) { return ((2 * t) / 125) % 6; }

void laptop_fade_back_update(CompositorState& s, const Scene& scene, int32_t t) {
  const FadeStep step = laptop_fade(t);
  s.src = scene.picture(step.back);
  s.opacity = step.back_opacity;
}

void laptop_fade_front_update(CompositorState& s, const Scene& scene, int32_t t) {
  const FadeStep step = laptop_fade(t);
  s.src = scene.picture(step.front);
  s.opacity = step.front_opacity;
}

void mobile_caption_update(CompositorState& s, const Scene& scene, int32_t t) {
  if (t < 4000) {
    set_picture(s, scene.picture(pic::mobile));
    s.dst_x = 200;
    s.dst_y = trunc_i32(std::pow((4000 - t) / 1000.0, 3.0)) + 167;
    s.opacity = swell(t, 224.0);
  } else {
    set_picture(s, scene.picture(pic::whenever));
    s.dst_x = 30;
    s.dst_y = trunc_i32(std::pow((8000 - t) / 1200.0, 3.0)) + 127;
    s.opacity = swell(t, -224.0);
  }
}

void computing_caption_update(CompositorState& s, const Scene& scene, int32_t t) {
  if (t < 4000) {
    set_picture(s, scene.picture(pic::computing));
    s.dst_x = 225;
    s.dst_y = 195 - trunc_i32(std::pow((4000 - t) / 800.0, 3.0));
    s.opacity = swell(t, 192.0);
  } else {
    set_picture(s, scene.picture(pic::whereever));
    s.dst_x = 5;
    s.dst_y = 155 - trunc_i32(std::pow((8000 - t) / 800.0, 3.0));
    s.opacity = swell(t, -192.0);
  }
}

void white_caption_update(CompositorState& s, int32_t t) {
  if (t < 4000) {
    s.dst_x = 25;
    s.dst_y = trunc_i32(std::pow((4000 - t) / 1600.0, 4.0)) + 175;
    s.opacity = swell(t, 192.0);
  } else {
    s.dst_x = 235;
    s.dst_y = 175 - trunc_i32(std::pow((8000 - t) / 1800.0, 4.0));
    s.opacity = swell(t, -192.0);
  }
}

void strip_head_update(CompositorState& s, int32_t t) {
  const int32_t r = strip_step(t);
  if (t < 4000) {
    s.dst_x = 7;
    s.dst_y = 228;
    s.opacity = static_cast<uint8_t>((191 * t) / 4000);
  } else {
    s.dst_x = 275;
    s.dst_y = 7;
    s.opacity = 191;
  }
  s.src_y = 11 * r;
  s.src_h = s.dst_h = s.src->height - 11 * r - 11;
}

void strip_tail_update(CompositorState& s, int32_t t) {
  const int32_t r = strip_step(t);
  if (t < 4000) {
    s.dst_x = 7;
    s.dst_y = 232;
    s.opacity = static_cast<uint8_t>((191 * t) / 4000);
  } else {
    s.dst_x = 275;
    s.dst_y = 11;
    s.opacity = 191;
  }
  s.src_h = s.dst_h = 11 * r;
  s.dst_y += s.src->height - 11 * r - 11;
}

void letterbox_bands_update(RowMaskState& s, int32_t t) {
  if (t >= 2000) return;  // the bands keep the largest height reached
  const int32_t n = t / 25;
  for (int32_t i = 0; i < n; ++i) {
    s.mask[i] = 127;
    s.mask[s.h - 1 - i] = 127;
  }
}

void beat_flash_update(AddFillState& s, int32_t u) {
  while (u > 3999) u -= 4000;
  s.colour = white_flash(255 - u);
}

}  // namespace

void build_mobile_computing_scene(SceneBuilder<>& b) {
  Image* screen = b.screen();

  place_stretched(b.add<CompositorState>(), b.picture(pic::motherboard), screen, 255, blend::replace);

  // The laptop layers keep the first laptop's rectangle for all sixteen pictures.
  place_stretched(b.add(update<laptop_fade_back_update>), b.picture(pic::laptop1), screen, 255, blend::add);
  place_stretched(b.add(update<laptop_fade_front_update>), b.picture(pic::laptop1), screen, 0, blend::add);

  place_picture(b.add(update<mobile_caption_update>), b.picture(pic::mobile), screen, 200, 170, 224, blend::alpha);
  place_picture(b.add(update<computing_caption_update>), b.picture(pic::computing), screen, 225, 195, 192,
                blend::alpha);
  place_picture(b.add(update<white_caption_update>), b.picture(pic::bullshitwhite), screen, 225, 195, 192,
                blend::alpha);

  add_binary_strip(b, update<strip_head_update>, update<strip_tail_update>);

  Image* back = b.back_buffer();
  b.add(update<letterbox_bands_update>) = {
      .image = screen, .x = 0, .y = 0, .w = back->width, .h = back->height, .mask = MaskBytes(back->height, 255)};

  b.add_flash(update<beat_flash_update>);
}
