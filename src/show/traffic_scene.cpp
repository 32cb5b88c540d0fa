#include "show/traffic_scene.h"

#include <cmath>

#include "effects/add_fill.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

namespace {

constexpr int32_t cue_ms = 32000;
constexpr int32_t scene_ms = 8000;  // after this the photograph and smear hold

// Each half: two photographs alternating every 250 ms (the second one for
// the first 62 ms of each slot), then four stills.
int32_t half_photo(int32_t t, int32_t first) {
  if (t <= 1999) return t % 250 <= 61 ? first + 1 : first;
  if (t <= 3249) return first;
  if (t <= 3499) return first + 1;
  if (t <= 3749) return first + 2;
  return first + 3;
}

}  // namespace

int32_t traffic_photo_at(int32_t t) { return t <= 3999 ? half_photo(t, 15) : half_photo(t - 4000, 19); }

void traffic_photo_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  // Only the source changes: every photograph is read through image 15's size.
  if (t < scene_ms) s->src = picture(traffic_photo_at(t));
}

void traffic_smear_update(void* state, int32_t now_ms) {
  auto* s = static_cast<ColumnSmearState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  if (t >= scene_ms) return;
  if (t >= 2000 && t <= 3999) {
    // The left part repeats column col, col moving from 153 to 126.
    const int32_t col = trunc_i32(std::cos((t - 2000) * pi / 3.0 / 2000.0) * 53 + 100);
    s->column = col;
    s->span = -col;
  } else if (t >= 6000) {
    // The right part repeats column col, col moving from 247 to 273.
    const int32_t col = trunc_i32(300 - std::cos((t - 6000) * pi / 3.0 / 2000.0) * 53);
    s->column = col;
    s->span = s->image->width - col;
  } else {
    s->column = 0;
    s->span = 0;
  }
}

void traffic_caption_early_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->opacity = (t >= 2000 && t <= 3999) ? 255 : 0;
}

void traffic_caption_late_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  s->opacity = (t >= 6000 && t <= 7999) ? 255 : 0;
}

void traffic_overlay_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now_ms, cue_ms);
  if (t >= 2000 && t <= 3999) {
    const int32_t a = (t - 2000) / 8;
    s->opacity = static_cast<uint8_t>(a <= 127 ? a : 128);
  } else {
    s->opacity = 0;
  }
}

void traffic_flash_update(void* state, int32_t now_ms) {
  auto* s = static_cast<AddFillState*>(state);
  int32_t u = scene_time(now_ms, cue_ms);
  while (u > 1999) u -= 2000;
  s->colour = u > 255 ? 0u : (static_cast<uint32_t>(255 - u) << 24) | 0x00FFFFFFu;
}

void build_traffic_scene() {
  begin_scene();
  Image* screen = &screen_image;

  auto* flash = add_effect<AddFillState>(add_fill_init, traffic_flash_update);
  *flash = {screen, 0xFFFFFFFFu, 0, 0, screen->width, screen->height};

  place_picture(add_effect<CompositorState>(compositor_init, traffic_overlay_update), picture(29), screen, 6, 234, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, traffic_overlay_update), picture(29), screen, 6, 36, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, traffic_caption_late_update), picture(28), screen, 258, 243, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, traffic_caption_early_update), picture(27), screen, 201, 181, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, traffic_caption_late_update), picture(26), screen, 96, 267, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, traffic_caption_late_update), picture(25), screen, 24, 267, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, traffic_caption_early_update), picture(24), screen, 286, 154, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, traffic_caption_early_update), picture(23), screen, 200, 154, 0, 0);

  auto* smear = add_effect<ColumnSmearState>(column_smear_init, traffic_smear_update);
  *smear = {screen, 0, 0};

  auto* photo = add_effect<CompositorState>(compositor_init, traffic_photo_update);
  Image* first = picture(15);
  *photo = {first, screen, 0, 0, 0, 0, first->width, first->height, screen->width, screen->height, 255, 2, 0};
}
