#include "show/scenes/eye_zoom_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

// Earlier photographs, one every 125 ms, repeating every 2000 ms.
constexpr int32_t slide_show[16] = {
    pic::factory1_jpg, pic::traffic1,     pic::train_jpg, pic::traffic9,  pic::crane2,    pic::factory2,
    pic::fuel1,        pic::phone,        pic::crane1,    pic::factory3,  pic::shipyard1, pic::laptop9,
    pic::motherboard,  pic::powerstation, pic::factory4,  pic::traffic10,
};

// The vertical brightness profile: sin^5 over the rows, squeezed by a and
// shifted by b so that it flattens towards full brightness.
uint8_t shade(int32_t i, int32_t h, double a, double b) {
  return static_cast<uint8_t>(trunc_i32(std::pow(std::sin((i * pi / h) * a + b), 5.0) * 255.0));
}

// A trembling word: invisible before its start, then drawn at a fixed
// opacity while its position takes a random step of -2..2 per axis each frame.
template <int32_t start, uint8_t opacity>
void tremble_update(CompositorState& s, const Scene& scene, int32_t t) {
  if (t < start) {
    s.opacity = 0;
    return;
  }
  s.opacity = opacity;
  s.dst_x += scene.random() % 5 - 2;
  s.dst_y += scene.random() % 5 - 2;
}

void eye_zoom_update(CompositorState& s, int32_t t) {
  const int32_t w = s.src->width;
  const int32_t h = s.src->height;
  const double f = (8000 - t) / 8000.0;
  s.src_w = trunc_i32(w * f);
  s.src_h = trunc_i32(f * h);
  s.src_x = (w - s.src_w) / 2;
  s.src_y = (h - s.src_h) / 2;
}

void eye_shade_update(RowMaskState& s, int32_t t) {
  const double a = (8000 - t) / 8000.0;
  const double b = t * 1.5707963267948966 / 8000.0;
  for (int32_t i = 0; i < s.h; ++i) s.mask[i] = shade(i, s.h, a, b);
}

void slide_show_update(CompositorState& s, const Scene& scene, int32_t t) {
  s.src = scene.picture(slide_show[(t / 125) % 16]);
  s.opacity = static_cast<uint8_t>(255 - (255 * t) / 8000);
}

void eye_blend_update(CompositorState& s, int32_t t) { s.opacity = static_cast<uint8_t>((95 * t) / 8000 + 160); }

void design_flicker_update(CompositorState& s, const Scene& scene, int32_t t) {
  s.src = scene.picture(pic::design5 + (t / 125) % 4);
}

void interlace_close_update(RowMaskState& s, int32_t t) {
  if (t < 6500) return;
  const int32_t n = ((t - 6500) * s.h) / 1500;
  // Even rows from the top, odd rows from the bottom; never restored.
  for (int32_t i = 0; i < n; i += 2) {
    s.mask[i] = 0;
    s.mask[s.h - 1 - i] = 0;
  }
}

void long_flash_update(AddFillState& s, int32_t t) { s.colour = white_flash(255 - t / 8); }

}  // namespace

void build_eye_zoom_scene(SceneBuilder<>& b) {
  Image* screen = b.screen();
  Image* back = b.back_buffer();

  place_stretched(b.add(update<eye_zoom_update>), b.picture(pic::eye), back, 255, blend::replace);

  RowMaskState& shade_mask = b.add(update<eye_shade_update>);
  shade_mask = {
      .image = back, .x = 0, .y = 0, .w = back->width, .h = back->height, .mask = MaskBytes(back->height, 0)};
  for (int32_t i = 0; i < shade_mask.h; ++i) shade_mask.mask[i] = shade(i, shade_mask.h, 1.0, 0.0);

  place_full_frame(b.add(update<slide_show_update>), b.picture(slide_show[1]), screen, 255, blend::replace);
  place_stretched(b.add(update<eye_blend_update>), back, screen, 0, blend::alpha);
  place_picture(b.add(update<design_flicker_update>), b.picture(pic::design5), screen, 0, 0, 31, blend::add);

  struct Word {
    Update<CompositorState> update;
    int32_t picture;
    int32_t x, y;
  };
  static constexpr Word words[] = {
      {update<tremble_update<5250, 255>>, pic::what, 109, 131},
      {update<tremble_update<5500, 191>>, pic::about, 177, 132},
      {update<tremble_update<5750, 223>>, pic::the, 127, 170},
      {update<tremble_update<5937, 239>>, pic::problems2, 166, 159},
      {update<tremble_update<6500, 191>>, pic::ofthe, 172, 205},
      {update<tremble_update<6875, 255>>, pic::mind, 225, 213},
  };
  for (const Word& w : words) place_picture(b.add(w.update), b.picture(w.picture), screen, w.x, w.y, 255, blend::alpha);

  b.add(update<interlace_close_update>) = {.image = screen,
                                           .x = 0,
                                           .y = 0,
                                           .w = screen->width,
                                           .h = screen->height,
                                           .mask = MaskBytes(screen->height, 255)};

  b.add_flash(update<long_flash_update>);
}
