#include "show/scenes/end_screen_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

void end_screen_fade_update(CompositorState& s, int32_t t) {
  if (t <= 5999) return;
  s.opacity = static_cast<uint8_t>((191 * (8375 - t)) / 2375);
}

void end_screen_melt_update(RowSmearState& s, int32_t t) {
  if (t <= 5999) return;
  const int32_t h = s.image->height;
  const int32_t v = t - 6000;
  s.row = trunc_i32(std::cos(v * pi * 0.5 / 2375.0) * h);
  s.span = h - s.row;
}

void end_screen_flash_update(AddFillState& s, int32_t t) { s.colour = white_flash(255 - t / 24); }

}  // namespace

void build_end_screen_scene(SceneBuilder<>& b) {
  Image* screen = b.screen();
  place_stretched(b.add(update<end_screen_fade_update>), b.picture(pic::endscreen), screen, 191, blend::replace);
  b.add(update<end_screen_melt_update>) = {.image = screen, .row = 0, .span = 0};
  b.add_flash(update<end_screen_flash_update>);
}
