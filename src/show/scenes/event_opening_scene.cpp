#include "show/scenes/event_opening_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

// The jitter and the random blur start after this scene time.
constexpr int32_t break_up_ms = 7375;

// Ease-out over `period` ms: sqrt(sin(t * pi * 0.5 / period)), 0 at t = 0
// and 1 at t = period. Every caller keeps t within 0..period.
double ease(int32_t t, double period) { return std::sqrt(std::sin(t * pi * 0.5 / period)); }

void event_name_update(CompositorState& s, OpeningScene& scene, int32_t t) {
  s.opacity = static_cast<uint8_t>(t / 16 > 255 ? 192 : t / 24);
  if (t > break_up_ms) {
    scene.jitter = scene.random() % 100;
    s.dst_y = scene.jitter + 130;
  }
  s.dst_x = t > 2999 ? 8 : trunc_i32(158 - ease(t, 3000) * 150);
}

void colon_update(CompositorState& s, OpeningScene& scene, int32_t t) {
  s.opacity = static_cast<uint8_t>(t / 16 > 255 ? 96 : t / 48);
  if (t > break_up_ms) s.dst_y = scene.jitter + 130;
}

void year_update(CompositorState& s, OpeningScene& scene, int32_t scene_t) {
  const int32_t t = raised_to(scene_t, 500);
  const int32_t d = t - 500;
  s.opacity = static_cast<uint8_t>(d / 16 > 255 ? 128 : d / 32);
  if (t > break_up_ms) s.dst_y = scene.jitter + 130;
  // The raised t enters the curve, so the year waits at x 66 until 500 ms.
  s.dst_x = t > 3999 ? 140 : trunc_i32(ease(t, 4000) * 132 + 8);
}

void city_update(CompositorState& s, OpeningScene& scene, int32_t scene_t) {
  const int32_t t = raised_to(scene_t, 1000);
  const int32_t d = t - 1000;
  s.opacity = static_cast<uint8_t>(d / 16 > 255 ? 170 : d / 24);
  if (t > break_up_ms) s.dst_y = scene.jitter + 150;
  s.dst_x = t > 5999 ? 342 : trunc_i32(ease(t, 6000) * 250 + 92);
}

void upper_line_update(AddFillState& s, int32_t t) { s.y = t > 3499 ? 105 : trunc_i32(ease(t, 3500) * 60 + 45); }

void lower_line_update(AddFillState& s, int32_t t) { s.y = t > 3499 ? 180 : trunc_i32(240 - ease(t, 3500) * 60); }

void band_update(AddFillState& s, int32_t t) {
  if (t > 3499) {
    s.y = 106;
    s.h = 74;
    return;
  }
  // The band fills the rows between the two lines: from one below the upper
  // line to one above the lower line, the integer top taken back as double.
  const double e = ease(t, 3500);
  s.y = trunc_i32(e * 60 + 46);
  s.h = trunc_i32((240 - e * 60) - static_cast<double>(s.y));
}

void opening_blur_update(VerticalBlurState& s, const Scene& scene, int32_t t) {
  s.size = t <= break_up_ms ? 1 : scene.random() % ((t - break_up_ms) / 8 + 1) + 1;
}

}  // namespace

void build_event_opening_scene(SceneBuilder<OpeningScene>& b) {
  Image* back = b.back_buffer();

  // Replace at opacity 0 clears the whole back buffer every frame.
  place_full_frame(b.add<CompositorState>(), back, back, 0, blend::replace);

  place_picture(b.add(update<event_name_update>), b.picture(pic::convexa), back, 10, 150, 0, blend::alpha);
  place_picture(b.add(update<colon_update>), b.picture(pic::colon), back, 135, 161, 0, blend::alpha);
  place_picture(b.add(update<year_update>), b.picture(pic::year_2002), back, 165, 151, 0, blend::alpha);
  place_picture(b.add(update<city_update>), b.picture(pic::helsinki), back, 320, 188, 0, blend::alpha);

  const int32_t w = back->width;
  b.add(update<upper_line_update>) = {.image = back, .colour = 0xFFFCF8ECu, .x = 0, .y = 100, .w = w, .h = 1};
  b.add(update<lower_line_update>) = {.image = back, .colour = 0xFFFCF8ECu, .x = 0, .y = 185, .w = w, .h = 1};
  b.add(update<band_update>) = {.image = back, .colour = 0xFF494335u, .x = 0, .y = 101, .w = w, .h = 84};

  b.add(update<opening_blur_update>) = {.src = back, .dst = b.screen(), .size = 1};
}
