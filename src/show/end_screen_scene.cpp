#include "show/end_screen_scene.h"

#include <cmath>

#include "effects/add_fill.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

namespace {
constexpr int32_t cue_ms = 176000;
constexpr int32_t end_picture = 223;
}  // namespace

void end_screen_fade_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, cue_ms);
  if (t <= 5999) return;
  static_cast<CompositorState*>(state)->opacity = static_cast<uint8_t>((191 * (8375 - t)) / 2375);
}

void end_screen_melt_update(void* state, int32_t now) {
  auto* s = static_cast<RowSmearState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  if (t <= 5999) return;
  const int32_t h = s->image->height;
  const int32_t v = t - 6000;
  s->row = trunc_i32(std::cos(v * pi * 0.5 / 2375.0) * h);
  s->span = h - s->row;
}

void end_screen_flash_update(void* state, int32_t now) {
  const int32_t q = scene_time(now, cue_ms) / 24;
  static_cast<AddFillState*>(state)->colour = q > 255 ? 0u : (static_cast<uint32_t>(255 - q) << 24) | 0x00FFFFFFu;
}

void build_end_screen_scene() {
  begin_scene();
  Image* screen = &screen_image;

  auto* flash = add_effect<AddFillState>(add_fill_init, end_screen_flash_update);
  *flash = {screen, 0xFFFFFFFFu, 0, 0, screen->width, screen->height};

  auto* melt = add_effect<RowSmearState>(row_smear_init, end_screen_melt_update);
  melt->image = screen;

  place_stretched(add_effect<CompositorState>(compositor_init, end_screen_fade_update), picture(end_picture), screen,
                  191, 2);
}
