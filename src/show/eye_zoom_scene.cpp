#include "show/eye_zoom_scene.h"

#include <cmath>
#include <cstdlib>

#include "effects/add_fill.h"
#include "effects/compositor.h"
#include "effects/mask.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

namespace {

constexpr int32_t cue_ms = 104000;

constexpr int32_t eye = 114;
constexpr int32_t first_design = 211;

// Earlier photographs, one every 125 ms, repeating every 2000 ms.
constexpr int32_t slide_show[16] = {8, 15, 31, 55, 88, 40, 100, 81, 45, 50, 4, 68, 76, 92, 84, 96};

// The vertical brightness profile: sin^5 over the rows, squeezed by a and
// shifted by b so that it flattens towards full brightness.
uint8_t shade(int32_t i, int32_t h, double a, double b) {
  return static_cast<uint8_t>(trunc_i32(std::pow(std::sin((i * pi / h) * a + b), 5.0) * 255.0));
}

// A trembling word: invisible before its start, then drawn at a fixed
// opacity while its position takes a random step of -2..2 per axis each frame.
struct Tremble {
  int32_t start;
  uint8_t opacity;
};

void tremble(void* state, int32_t now, Tremble word) {
  auto* s = static_cast<CompositorState*>(state);
  if (scene_time(now, cue_ms) < word.start) {
    s->opacity = 0;
    return;
  }
  s->opacity = word.opacity;
  s->dst_x += std::rand() % 5 - 2;
  s->dst_y += std::rand() % 5 - 2;
}

}  // namespace

void eye_zoom_update(void* state, int32_t now) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  const int32_t w = s->src->width;
  const int32_t h = s->src->height;
  const double f = (8000 - t) / 8000.0;
  s->src_w = trunc_i32(w * f);
  s->src_h = trunc_i32(f * h);
  s->src_x = (w - s->src_w) / 2;
  s->src_y = (h - s->src_h) / 2;
}

void eye_shade_update(void* state, int32_t now) {
  auto* s = static_cast<RowMaskState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  const double a = (8000 - t) / 8000.0;
  const double b = t * 1.5707963267948966 / 8000.0;
  for (int32_t i = 0; i < s->h; ++i) s->mask[i] = shade(i, s->h, a, b);
}

void slide_show_update(void* state, int32_t now) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  s->src = picture(slide_show[(t / 125) % 16]);
  s->opacity = static_cast<uint8_t>(255 - (255 * t) / 8000);
}

void eye_blend_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, cue_ms);
  static_cast<CompositorState*>(state)->opacity = static_cast<uint8_t>((95 * t) / 8000 + 160);
}

void design_flicker_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, cue_ms);
  static_cast<CompositorState*>(state)->src = picture(first_design + (t / 125) % 4);
}

void word_what_update(void* state, int32_t now) { tremble(state, now, {5250, 255}); }
void word_about_update(void* state, int32_t now) { tremble(state, now, {5500, 191}); }
void word_the_update(void* state, int32_t now) { tremble(state, now, {5750, 223}); }
void word_problems_update(void* state, int32_t now) { tremble(state, now, {5937, 239}); }
void word_ofthe_update(void* state, int32_t now) { tremble(state, now, {6500, 191}); }
void word_mind_update(void* state, int32_t now) { tremble(state, now, {6875, 255}); }

void interlace_close_update(void* state, int32_t now) {
  auto* s = static_cast<RowMaskState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  if (t < 6500) return;
  const int32_t n = ((t - 6500) * s->h) / 1500;
  // Even rows from the top, odd rows from the bottom; never restored.
  for (int32_t i = 0; i < n; i += 2) {
    s->mask[i] = 0;
    s->mask[s->h - 1 - i] = 0;
  }
}

void long_flash_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, cue_ms);
  static_cast<AddFillState*>(state)->colour =
      t < 2048 ? (static_cast<uint32_t>(255 - t / 8) << 24) | 0x00FFFFFFu : 0u;
}

void build_eye_zoom_scene() {
  begin_scene();
  Image* screen = &screen_image;
  Image* back = back_buffer();

  auto* flash = add_effect<AddFillState>(add_fill_init, long_flash_update);
  *flash = {screen, 0xFFFFFFFFu, 0, 0, screen->width, screen->height};

  auto* close = add_effect<RowMaskState>(row_mask_init, interlace_close_update);
  *close = {screen, 0, 0, screen->width, screen->height, filled_mask(screen->height, 255)};

  struct Word {
    EffectUpdateFn update;
    int32_t picture;
    int32_t x, y;
  };
  static constexpr Word words[] = {
      // created in reverse processing order
      {word_mind_update, 120, 225, 213},     {word_ofthe_update, 119, 172, 205},
      {word_problems_update, 118, 166, 159}, {word_the_update, 117, 127, 170},
      {word_about_update, 116, 177, 132},    {word_what_update, 115, 109, 131},
  };
  for (const Word& w : words) {
    place_picture(add_effect<CompositorState>(compositor_init, w.update), picture(w.picture), screen, w.x, w.y, 255,
                  0);
  }

  place_picture(add_effect<CompositorState>(compositor_init, design_flicker_update), picture(first_design), screen, 0,
                0, 31, 1);
  place_stretched(add_effect<CompositorState>(compositor_init, eye_blend_update), back, screen, 0, 0);
  place_full_frame(add_effect<CompositorState>(compositor_init, slide_show_update), picture(slide_show[1]), screen,
                   255, 2);

  auto* shade_mask = add_effect<RowMaskState>(row_mask_init, eye_shade_update);
  *shade_mask = {back, 0, 0, back->width, back->height, filled_mask(back->height, 0)};
  for (int32_t i = 0; i < shade_mask->h; ++i) shade_mask->mask[i] = shade(i, shade_mask->h, 1.0, 0.0);

  place_stretched(add_effect<CompositorState>(compositor_init, eye_zoom_update), picture(eye), back, 255, 2);
}
