#include "show/scenes/global_coverage_scene.h"

#include <cmath>
#include <initializer_list>

#include "show/scenes/scene_helpers.h"

namespace {

// Width of the light bars during the first second: a quarter sine up to 110.
int32_t bar_width(int32_t t) { return trunc_i32(std::sin(t * pi / 4000.0) * 110.0); }

// The bars show for the first 400 ms of every 500 ms during the first second.
bool bars_visible(int32_t t) { return t < 1000 && t % 500 < 400; }

void coverage_blur_update(VerticalBlurState& s, const Scene& scene, int32_t t) {
  s.size = t <= 4000 ? scene.random() % ((4000 - t) / 16 + 1) + 1 : 1;
}

void coverage_wipe_update(RowSmearState& s, int32_t t) {
  if (t < 6000) {
    s.row = 0;
    s.span = 0;
  } else if (t < 8000) {
    const int32_t b = ((t - 6000) * s.image->height) / 2000;
    s.row = b;
    s.span = -b;
  }
}

void coverage_slide_update(CompositorState& s, int32_t t) {
  if (t < 1000) {
    s.opacity = 0;
  } else if (t < 2000) {
    const int32_t u = t - 1000;
    s.opacity = static_cast<uint8_t>((255 * u) / 1000);
    s.dst_y = trunc_i32((1.0 - std::sin(u * pi * 0.5 / 1000.0)) * s.dst->height);
  } else {
    s.opacity = 255;
    s.dst_y = 0;
  }
}

void phonebox_blink_update(CompositorState& s, int32_t t) {
  if (t < 3000) {
    s.opacity = 0;
  } else if (t < 8000) {
    const double v = std::sin(std::pow((t - 3000) / 400.0, 2.0));
    s.opacity = v >= 0 ? 128 : 0;
  }
}

void side_borders_update(ColumnMaskState& s, int32_t t) {
  if (t < 1000 || t >= 2000) return;
  const double a = t * pi / 4000.0;
  int32_t n = 0;
  while (std::sin(a) * 110.0 > n) ++n;
  const int32_t w = s.w;
  uint8_t* m = s.mask.data();
  for (int32_t i = 0; i < n; ++i) {
    m[i] = 192;
    m[w - 1 - i] = 192;
  }
  // Bytes n and w - 1 - n keep whatever an earlier frame left there.
  m[n + 1] = 255;
  m[n + 2] = 192;
  m[n + 3] = 192;
  m[w - n - 2] = 255;
  m[w - n - 3] = 192;
  m[w - n - 4] = 192;
}

void left_bar_update(AddFillState& s, int32_t t) {
  if (bars_visible(t)) {
    s.w = bar_width(t);
    s.h = s.image->height;
  } else if (t < 7000) {
    s.h = 0;
  } else {
    s.w = s.image->width;
    s.h = s.image->height;
    s.colour = white(((t - 7000) * 255) / 1000);
  }
}

void right_bar_update(AddFillState& s, int32_t t) {
  if (!bars_visible(t)) {
    s.h = 0;
    return;
  }
  const int32_t b = bar_width(t);
  s.w = b;
  s.x = s.image->width - b;
  s.h = s.image->height;
}

}  // namespace

void build_global_coverage_scene(SceneBuilder<>& b) {
  Image* screen = b.screen();
  Image* back = b.back_buffer();

  place_stretched(b.add<CompositorState>(), b.picture(pic::phone), screen, 255, blend::replace);

  b.add(update<coverage_blur_update>) = {.src = b.picture(pic::globalcoverage), .dst = back, .size = 1};
  b.add(update<coverage_wipe_update>) = {.image = back, .row = 0, .span = 0};
  place_stretched(b.add(update<coverage_slide_update>), back, screen, 0, blend::alpha);
  place_picture(b.add(update<phonebox_blink_update>), b.picture(pic::phonebox), screen, 133, 5, 255, blend::alpha);

  b.add(update<side_borders_update>) = {
      .image = screen, .x = 0, .y = 0, .w = back->width, .h = back->height, .mask = MaskBytes(back->width, 255)};

  for (Update<AddFillState> bar : {update<left_bar_update>, update<right_bar_update>}) {
    b.add(bar) = {.image = screen, .colour = 0xFFCCCCCCu, .x = 0, .y = 0, .w = 100, .h = screen->height};
  }
}
