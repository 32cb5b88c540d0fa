#include "show/scenes/train_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

constexpr int32_t scene_ms = 8000;  // after this position, smear and blackout hold

uint8_t capped(int32_t v) { return static_cast<uint8_t>(v > 255 ? 255 : v); }

void train_slide_update(CompositorState& s, int32_t t) {
  if (t <= 1999) {
    s.dst_x = 400 - t / 8;  // in from the right edge
  } else if (t <= 3999) {
    s.dst_x = 150;
  } else if (t <= 5999) {
    s.dst_x = 300 - (t - 2000) / 8;  // pushed out to the left, past column 0
  } else if (t < scene_ms) {
    s.dst_x = 0;
  }
}

void train_smear_update(ColumnSmearState& s, int32_t t) {
  if (t <= 3999) {
    s.column = 0;
    s.span = 0;
  } else if (t <= 5999) {
    // The right part repeats column col, col moving from 300 to 193.
    const int32_t col = trunc_i32(300 - std::sin((t - 4000) * pi * 0.25 / 2000.0) * 150);
    s.column = col;
    s.span = s.image->width - col;
  } else if (t < scene_ms) {
    // The left part repeats column col, col moving from 153 to 126.
    const int32_t col = trunc_i32(std::cos((t - 6000) * pi / 3.0 / 2000.0) * 53 + 100);
    s.column = col;
    s.span = -col;
  }
}

void train_caption_fade_update(CompositorState& s, int32_t t) { s.opacity = t <= 1999 ? capped(t / 8) : 0; }

void train_caption_slow_fade_update(CompositorState& s, int32_t t) { s.opacity = t <= 1999 ? capped(t / 16) : 0; }

// One word of the cascade, visible from scene time Start to 3999.
template <int32_t Start>
void word_cascade_update(CompositorState& s, int32_t t) {
  s.opacity = (t >= Start && t <= 3999) ? 255 : 0;
}

void late_caption_update(CompositorState& s, int32_t t) { s.opacity = t <= 5999 ? 0 : capped((t - 6000) / 8); }

// Saturating add at opacity 0 draws nothing; replace at opacity 0 clears
// the rectangle to black.
void top_blackout_update(CompositorState& s, int32_t t) {
  if (t <= 7249) {
    s.blend = blend::add;
    return;
  }
  s.blend = blend::replace;
  if (t <= 7749) {
    s.src_h = s.dst_h = 100;
  } else if (t < scene_ms) {
    s.src_h = s.dst_h = 200;
  }
}

void bottom_blackout_update(CompositorState& s, int32_t t) { s.blend = t <= 7499 ? blend::add : blend::replace; }

void train_flash_update(AddFillState& s, int32_t u) {
  while (u > 1999) u -= 2000;
  s.colour = white_flash(255 - u / 2);
}

}  // namespace

void build_train_scene(SceneBuilder<>& b) {
  Image* screen = b.screen();

  Image* train = b.picture(pic::train_jpg);
  place_stretched(b.add<CompositorState>(), train, screen, 255, blend::replace);

  place_picture(b.add(update<train_slide_update>), b.picture(pic::train_png), screen, 400, 65, 255, blend::alpha);

  b.add(update<train_smear_update>) = {.image = screen, .column = 0, .span = 0};

  place_picture(b.add(update<train_caption_fade_update>), b.picture(pic::bullshitwhite), screen, 6, 250, 0,
                blend::alpha);
  place_picture(b.add(update<train_caption_slow_fade_update>), b.picture(pic::straightelectric), screen, 92, 32, 0,
                blend::alpha);
  place_picture(b.add(update<train_caption_fade_update>), b.picture(pic::locomotives), screen, 248, 32, 0,
                blend::alpha);
  place_picture(b.add(update<word_cascade_update<3250>>), b.picture(pic::take), screen, 66, 167, 0, blend::alpha);
  place_picture(b.add(update<word_cascade_update<3500>>), b.picture(pic::you), screen, 66, 190, 0, blend::alpha);
  place_picture(b.add(update<word_cascade_update<3750>>), b.picture(pic::there), screen, 60, 215, 0, blend::alpha);
  place_picture(b.add(update<late_caption_update>), b.picture(pic::but), screen, 25, 207, 0, blend::alpha);
  place_picture(b.add(update<late_caption_update>), b.picture(pic::where), screen, 55, 206, 0, blend::alpha);

  // The black-out bands over the top and the bottom third of the screen.
  auto add_blackout = [&](Update<CompositorState> blackout, int32_t top) {
    b.add(blackout) = {.src = screen,
                       .dst = screen,
                       .src_x = 0,
                       .src_y = 0,
                       .dst_x = 0,
                       .dst_y = top,
                       .src_w = screen->width,
                       .src_h = 100,
                       .dst_w = screen->width,
                       .dst_h = 100,
                       .opacity = 0,
                       .blend = blend::replace,
                       .smooth = 0};
  };
  add_blackout(update<top_blackout_update>, 0);
  add_blackout(update<bottom_blackout_update>, 200);

  b.add_flash(update<train_flash_update>);
}
