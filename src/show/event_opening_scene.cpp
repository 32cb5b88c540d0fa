#include "show/event_opening_scene.h"

#include <cmath>
#include <cstdlib>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

int32_t opening_jitter = 0;

namespace {

// The jitter and the random blur start after this show time.
constexpr int32_t break_up_ms = 7375;

// Ease-out over `period` ms: sqrt(sin(t * pi * 0.5 / period)), 0 at t = 0
// and 1 at t = period. Every caller keeps t within 0..period.
double ease(int32_t t, double period) { return std::sqrt(std::sin(t * pi * 0.5 / period)); }

}  // namespace

void event_name_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = raised_to(now_ms, 0);
  s->opacity = static_cast<uint8_t>(t / 16 > 255 ? 192 : t / 24);
  if (t > break_up_ms) {
    const int32_t j = std::rand() % 100;
    opening_jitter = j;
    s->dst_y = j + 130;
  }
  s->dst_x = t > 2999 ? 8 : trunc_i32(158 - ease(t, 3000) * 150);
}

void colon_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = raised_to(now_ms, 0);
  s->opacity = static_cast<uint8_t>(t / 16 > 255 ? 96 : t / 48);
  if (t > break_up_ms) s->dst_y = opening_jitter + 130;
}

void year_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = raised_to(now_ms, 500);
  const int32_t d = t - 500;
  s->opacity = static_cast<uint8_t>(d / 16 > 255 ? 128 : d / 32);
  if (t > break_up_ms) s->dst_y = opening_jitter + 130;
  // The raised t enters the curve, so the year waits at x 66 until 500 ms.
  s->dst_x = t > 3999 ? 140 : trunc_i32(ease(t, 4000) * 132 + 8);
}

void city_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = raised_to(now_ms, 1000);
  const int32_t d = t - 1000;
  s->opacity = static_cast<uint8_t>(d / 16 > 255 ? 170 : d / 24);
  if (t > break_up_ms) s->dst_y = opening_jitter + 150;
  s->dst_x = t > 5999 ? 342 : trunc_i32(ease(t, 6000) * 250 + 92);
}

void upper_line_update(void* state, int32_t now_ms) {
  auto* s = static_cast<AddFillState*>(state);
  const int32_t t = raised_to(now_ms, 0);
  s->y = t > 3499 ? 105 : trunc_i32(ease(t, 3500) * 60 + 45);
}

void lower_line_update(void* state, int32_t now_ms) {
  auto* s = static_cast<AddFillState*>(state);
  const int32_t t = raised_to(now_ms, 0);
  s->y = t > 3499 ? 180 : trunc_i32(240 - ease(t, 3500) * 60);
}

void band_update(void* state, int32_t now_ms) {
  auto* s = static_cast<AddFillState*>(state);
  const int32_t t = raised_to(now_ms, 0);
  if (t > 3499) {
    s->y = 106;
    s->h = 74;
    return;
  }
  // The band fills the rows between the two lines: from one below the upper
  // line to one above the lower line, the integer top taken back as double.
  const double e = ease(t, 3500);
  s->y = trunc_i32(e * 60 + 46);
  s->h = trunc_i32((240 - e * 60) - static_cast<double>(s->y));
}

void opening_blur_update(void* state, int32_t now_ms) {
  auto* s = static_cast<VerticalBlurState*>(state);
  if (now_ms <= break_up_ms) {
    s->size = 1;
  } else {
    s->size = std::rand() % ((now_ms - break_up_ms) / 8 + 1) + 1;
  }
}

void build_event_opening_scene() {
  begin_scene();
  Image* back = back_buffer();

  auto* blur = add_effect<VerticalBlurState>(vertical_blur_init, opening_blur_update);
  blur->src = back;
  blur->dst = &screen_image;
  blur->size = 1;

  auto* band = add_effect<AddFillState>(add_fill_init, band_update);
  *band = {back, 0xFF494335u, 0, 101, back->width, 84};

  auto* lower = add_effect<AddFillState>(add_fill_init, lower_line_update);
  *lower = {back, 0xFFFCF8ECu, 0, 185, back->width, 1};

  auto* upper = add_effect<AddFillState>(add_fill_init, upper_line_update);
  *upper = {back, 0xFFFCF8ECu, 0, 100, back->width, 1};

  place_picture(add_effect<CompositorState>(compositor_init, city_update), picture(3), back, 320, 188, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, year_update), picture(2), back, 165, 151, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, colon_update), picture(1), back, 135, 161, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, event_name_update), picture(0), back, 10, 150, 0, 0);

  // Replace at opacity 0 clears the whole back buffer every frame.
  place_full_frame(add_effect<CompositorState>(compositor_init, nullptr), back, back, 0, 2);
}
