#include "show/scenes/traffic_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

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

int32_t traffic_photo_at(int32_t t) {
  return t <= 3999 ? half_photo(t, pic::traffic1) : half_photo(t - 4000, pic::traffic5);
}

namespace {

void traffic_photo_update(CompositorState& s, const Scene& scene, int32_t t) {
  // Only the source changes: every photograph is read through the first one's size.
  if (t < scene_ms) s.src = scene.picture(traffic_photo_at(t));
}

void traffic_smear_update(ColumnSmearState& s, int32_t t) {
  if (t >= scene_ms) return;
  if (t >= 2000 && t <= 3999) {
    // The left part repeats column col, col moving from 153 to 126.
    const int32_t col = trunc_i32(std::cos((t - 2000) * pi / 3.0 / 2000.0) * 53 + 100);
    s.column = col;
    s.span = -col;
  } else if (t >= 6000) {
    // The right part repeats column col, col moving from 247 to 273.
    const int32_t col = trunc_i32(300 - std::cos((t - 6000) * pi / 3.0 / 2000.0) * 53);
    s.column = col;
    s.span = s.image->width - col;
  } else {
    s.column = 0;
    s.span = 0;
  }
}

void traffic_caption_early_update(CompositorState& s, int32_t t) { s.opacity = (t >= 2000 && t <= 3999) ? 255 : 0; }

void traffic_caption_late_update(CompositorState& s, int32_t t) { s.opacity = (t >= 6000 && t <= 7999) ? 255 : 0; }

void traffic_overlay_update(CompositorState& s, int32_t t) {
  if (t >= 2000 && t <= 3999) {
    const int32_t a = (t - 2000) / 8;
    s.opacity = static_cast<uint8_t>(a <= 127 ? a : 128);
  } else {
    s.opacity = 0;
  }
}

void traffic_flash_update(AddFillState& s, int32_t u) {
  while (u > 1999) u -= 2000;
  s.colour = white_flash(255 - u);
}

}  // namespace

void build_traffic_scene(SceneBuilder<>& b) {
  Image* screen = b.screen();

  // Every photograph is drawn through the first one's rectangle.
  Image* first = b.picture(pic::traffic1);
  place_stretched(b.add(update<traffic_photo_update>), first, screen, 255, blend::replace);

  b.add(update<traffic_smear_update>) = {.image = screen, .column = 0, .span = 0};

  place_picture(b.add(update<traffic_caption_early_update>), b.picture(pic::traffic), screen, 200, 154, 0,
                blend::alpha);
  place_picture(b.add(update<traffic_caption_early_update>), b.picture(pic::jam), screen, 286, 154, 0, blend::alpha);
  place_picture(b.add(update<traffic_caption_late_update>), b.picture(pic::instant), screen, 24, 267, 0, blend::alpha);
  place_picture(b.add(update<traffic_caption_late_update>), b.picture(pic::mobility), screen, 96, 267, 0, blend::alpha);
  place_picture(b.add(update<traffic_caption_early_update>), b.picture(pic::trafficbullshit1), screen, 201, 181, 0,
                blend::alpha);
  place_picture(b.add(update<traffic_caption_late_update>), b.picture(pic::trafficbullshit2), screen, 258, 243, 0,
                blend::alpha);
  place_picture(b.add(update<traffic_overlay_update>), b.picture(pic::bullshitwhite), screen, 6, 36, 0, blend::alpha);
  place_picture(b.add(update<traffic_overlay_update>), b.picture(pic::bullshitwhite), screen, 6, 234, 0, blend::alpha);

  b.add_flash(update<traffic_flash_update>);
}
