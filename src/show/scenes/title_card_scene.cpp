#include "show/scenes/title_card_scene.h"

#include "show/scenes/scene_helpers.h"

uint8_t title_opacity(int32_t t) {
  if (t <= 1249) return static_cast<uint8_t>(226 - t);  // 1250 - t: 250 down to 1
  if (t <= 1499) return static_cast<uint8_t>(t + 30);   // t - 1250: 0 up to 249
  if (t <= 2686) return 255;
  if (t <= 4749) return t % 100 <= 49 ? 255 : 0;  // 50 ms on, 50 ms off
  if (t <= 6999) return 255;
  return static_cast<uint8_t>((9000 - t) / 8);
}

namespace {

void backdrop_blink_update(CompositorState& s, int32_t t) {
  // Replace at opacity 0 clears the back buffer: the picture blinks for 500 ms.
  s.opacity = (t <= 499 && t % 100 > 49) ? 0 : 255;
}

void title_zoom_update(CompositorState& s, int32_t t) {
  if (t <= 500) return;
  if (t > 949) {
    s.opacity = 0;  // the scaled path stops drawing; the screen keeps its last zoom
    return;
  }
  // A centred window shrinking from the whole back buffer to a tenth of it.
  const int32_t w = s.src->width;
  const int32_t h = s.src->height;
  const double f = (1000 - t) / 500.0;
  s.src_w = trunc_i32(w * f);
  s.src_h = trunc_i32(h * f);
  s.src_x = (w - s.src_w) / 2;
  s.src_y = (h - s.src_h) / 2;
}

void title_bar_update(CompositorState& s, int32_t t) {
  if (t <= 500) return;
  const int32_t u = t > 1000 ? 1000 : t;
  // Replace at opacity 0 clears: a black bar growing to 200 x 40 at the centre.
  s.blend = blend::replace;
  const double f = (u - 500) / 500.0;
  const int32_t w = trunc_i32(f * 200);
  const int32_t h = trunc_i32(f * 40);
  s.src_w = s.dst_w = w;
  s.src_h = s.dst_h = h;
  s.dst_x = (s.dst->width - w) / 2;
  s.dst_y = (s.dst->height - h) / 2;
}

void title_word_update(CompositorState& s, int32_t t) {
  if (t <= 500) return;
  const int32_t w = s.src->width;
  const int32_t h = s.src->height;
  const int32_t dw = s.dst->width;
  const int32_t dh = s.dst->height;
  if (t <= 999) {
    // Bilinear growth out of the screen centre.
    const double scale = (t - 500) / 500.0;
    s.dst_w = trunc_i32(w * scale);
    s.dst_h = trunc_i32(h * scale);
    s.dst_x = trunc_i32(static_cast<double>(dw / 2) - w * 0.5 * scale);
    s.dst_y = (dh - s.dst_h) / 2;
    return;
  }
  // Full size: equal rectangles take the one-to-one path with replace.
  s.dst_w = s.src_w;
  s.dst_h = s.src_h;
  s.dst_x = dw / 2 - w / 2;
  s.dst_y = (dh - h) / 2;
  s.opacity = title_opacity(t);
}

}  // namespace

void build_title_card_scene(SceneBuilder<>& b) {
  Image* back = b.back_buffer();
  Image* screen = b.screen();

  place_full_frame(b.add(update<backdrop_blink_update>), b.picture(pic::factory1_png), back, 0, blend::replace);

  CompositorState& zoom = b.add(update<title_zoom_update>);
  place_stretched(zoom, back, screen, 255, blend::replace);
  zoom.smooth = 1;

  b.add(update<title_bar_update>) = {.src = screen,
                                     .dst = screen,
                                     .src_x = 0,
                                     .src_y = 0,
                                     .dst_x = 200,
                                     .dst_y = 150,
                                     .src_w = 1,
                                     .src_h = 1,
                                     .dst_w = 1,
                                     .dst_h = 1,
                                     .opacity = 0,
                                     .blend = blend::alpha,
                                     .smooth = 1};

  CompositorState& title = b.add(update<title_word_update>);
  place_picture(title, b.picture(pic::sava), screen, 189, 144, 255, blend::replace);
  title.dst_w = 1;
  title.dst_h = 1;
  title.smooth = 1;
}
