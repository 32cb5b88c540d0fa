#include "show/scenes/design_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

constexpr int32_t ease_ms = 4000;   // the words rest from here on
constexpr int32_t decay_ms = 7000;  // darkening, ghost and random blur after this

// Rises from 0 to 1 over the first 4000 ms (callers use it only before then).
double ease(int32_t t) { return std::sin(t * pi * 0.5 / ease_ms); }

// One column every 90 ms, stopping at column 79.
int32_t drift_column(int32_t t) {
  const int32_t column = t / 90;
  return column > 79 ? 79 : column;
}

void factory_photo_update(CompositorState& s, int32_t t) {
  if (t > decay_ms) {
    // 255 - (q mod 256) is the complement of q's low byte.
    const int32_t q = (t - decay_ms) / 2;
    s.opacity = static_cast<uint8_t>(255 - (q % 256));
  }
  s.src_x = drift_column(t);
}

void design_rise_update(CompositorState& s, int32_t t) {
  s.dst_y = t > ease_ms - 1 ? 175 : trunc_i32(static_cast<double>(s.dst->height) - ease(t) * 125);
}

void design_drop_update(CompositorState& s, int32_t t) { s.dst_y = t > ease_ms - 1 ? 45 : trunc_i32(ease(t) * 45); }

void crossplatform_slide_update(CompositorState& s, int32_t t) {
  s.dst_x = t > ease_ms - 1 ? 185 : trunc_i32(400 - ease(t) * 215);
}

void demo_slide_update(CompositorState& s, int32_t t) {
  s.dst_x = t > ease_ms - 1 ? 340 : trunc_i32(400 - ease(t) * 60);
}

void factory_ghost_update(CompositorState& s, const Scene& scene, int32_t t) {
  if (t > decay_ms) {
    s.opacity = 16;
    s.dst_y = scene.random() % 50;
  } else {
    s.opacity = 0;  // dst_y keeps its last value
  }
  s.src_x = drift_column(t);
}

void design_blur_update(VerticalBlurState& s, const Scene& scene, int32_t t) {
  s.size = t > decay_ms ? scene.random() % ((t - decay_ms) / 4 + 1) + 1 : 1;
}

void design_flash_update(AddFillState& s, int32_t t) { s.colour = white_flash(255 - t / 24); }

}  // namespace

void build_design_scene(SceneBuilder<>& b) {
  Image* back = b.back_buffer();

  place_full_frame(b.add(update<factory_photo_update>), b.picture(pic::factory1_jpg), back, 255, blend::replace);
  place_picture(b.add(update<design_rise_update>), b.picture(pic::design1), back, 0, 28, 32, blend::alpha);
  place_picture(b.add(update<design_drop_update>), b.picture(pic::design2), back, 0, 78, 32, blend::alpha);
  place_picture(b.add(update<crossplatform_slide_update>), b.picture(pic::crossplatform), back, 205, 145, 128,
                blend::alpha);
  place_picture(b.add(update<demo_slide_update>), b.picture(pic::demo), back, 285, 183, 160, blend::alpha);
  place_full_frame(b.add(update<factory_ghost_update>), b.picture(pic::factory1_jpg), back, 0, blend::add);

  b.add(update<design_blur_update>) = {.src = back, .dst = b.screen(), .size = 1};
  b.add_flash(update<design_flash_update>);
}
