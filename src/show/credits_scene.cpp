#include "show/credits_scene.h"

#include <cmath>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

namespace {

constexpr int32_t cue_ms = 160000;

constexpr int32_t first_help = 192;
constexpr int32_t credits_word = 196;
constexpr int32_t thanks_word = 202;
constexpr int32_t peace_of_mind = 190;

enum class Side { left, right };

// Where each pair's picture lands in each 4000 ms block.
struct Credit {
  int32_t picture;
  int32_t row;
  int32_t x;  // X, where both copies meet
};

constexpr Credit credit_blocks[3][4] = {
    {{197, 135, 115}, {198, 135, 165}, {203, 165, 45}, {206, 165, 45}},
    {{199, 190, 155}, {200, 180, 115}, {204, 125, 170}, {207, 125, 230}},
    {{201, 155, 225}, {201, 155, 225}, {205, 185, 230}, {208, 185, 150}},
};

int32_t block_of(int32_t t) {
  if (t <= 3999) return 0;
  if (t <= 7999) return 1;
  if (t <= 11999) return 2;
  return 3;
}

void set_picture(CompositorState* s, int32_t index) {
  s->src = picture(index);
  s->src_w = s->dst_w = s->src->width;
  s->src_h = s->dst_h = s->src->height;
}

// The title pair: "credits" in the first half, "thanks" in the second, each
// copy gliding 70 pixels onto column 170 over two seconds.
void title_copy(void* state, int32_t now, Side side) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  const bool first_half = t <= 7999;
  const int32_t v = first_half ? t : t - 8000;
  set_picture(s, first_half ? credits_word : thanks_word);
  if (v <= 1999) {
    const double glide = std::sin(v * pi * 0.5 / 2000.0);
    s->dst_x = side == Side::left ? trunc_i32(glide * 70.0 + 100.0) : trunc_i32(240.0 - glide * 70.0);
  } else {
    s->dst_x = 170;
  }
  s->opacity = static_cast<uint8_t>(trunc_i32(std::sin((t % 8000) * pi / 8000.0) * 63.0));
}

// A credit copy: each pair's copies glide 80 pixels from both sides onto X
// while the opacity swells over the block.
void credit_copy(void* state, int32_t now, int pair, Side side) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  const Credit& credit = credit_blocks[pair][block_of(t)];
  set_picture(s, credit.picture);
  s->dst_y = credit.row;
  const int32_t u = t % 4000;
  s->opacity = static_cast<uint8_t>(trunc_i32(std::sin(u * pi / 4000.0) * 63.0));
  if (u <= 1999) {
    const double glide = std::sin(u * pi * 0.5 / 2000.0);
    s->dst_x = side == Side::left ? trunc_i32(glide * 80.0 + (credit.x - 80))
                                  : trunc_i32((credit.x + 80) - glide * 80.0);
  } else {
    s->dst_x = credit.x;
  }
}

}  // namespace

void help_blur_update(void* state, int32_t now) {
  auto* s = static_cast<HorizontalBlurState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  s->size = trunc_i32(std::sin((t + t) * pi / 7000.0) * 49.0 + 50.0);
  s->src = picture(first_help + t / 4000);
}

void credits_blur_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, cue_ms);
  static_cast<VerticalBlurState*>(state)->size = trunc_i32(std::cos((t + t) * pi / 6500.0) * 49.0 + 50.0);
}

void credits_title_from_left_update(void* state, int32_t now) { title_copy(state, now, Side::left); }
void credits_title_from_right_update(void* state, int32_t now) { title_copy(state, now, Side::right); }
void credit_pair1_from_left_update(void* state, int32_t now) { credit_copy(state, now, 0, Side::left); }
void credit_pair1_from_right_update(void* state, int32_t now) { credit_copy(state, now, 0, Side::right); }
void credit_pair2_from_left_update(void* state, int32_t now) { credit_copy(state, now, 1, Side::left); }
void credit_pair2_from_right_update(void* state, int32_t now) { credit_copy(state, now, 1, Side::right); }
void credit_pair3_from_left_update(void* state, int32_t now) { credit_copy(state, now, 2, Side::left); }
void credit_pair3_from_right_update(void* state, int32_t now) { credit_copy(state, now, 2, Side::right); }

void credits_flash_update(void* state, int32_t now) {
  int32_t u = scene_time(now, cue_ms);
  while (u > 3999) u -= 4000;
  const int32_t q = u / 8;
  static_cast<AddFillState*>(state)->colour = q > 255 ? 0u : (static_cast<uint32_t>(255 - q) << 24) | 0x00FFFFFFu;
}

void build_credits_scene() {
  begin_scene();
  Image* screen = &screen_image;
  Image* back = back_buffer();

  auto* flash = add_effect<AddFillState>(add_fill_init, credits_flash_update);
  *flash = {screen, 0xFFFFFFFFu, 0, 0, screen->width, screen->height};

  // Created in reverse processing order: pair 3 right first, title left last.
  static constexpr EffectUpdateFn copies[] = {
      credit_pair3_from_right_update, credit_pair3_from_left_update, credit_pair2_from_right_update,
      credit_pair2_from_left_update,  credit_pair1_from_right_update, credit_pair1_from_left_update,
      credits_title_from_right_update, credits_title_from_left_update,
  };
  for (EffectUpdateFn update : copies) {
    const bool title = update == credits_title_from_left_update || update == credits_title_from_right_update;
    place_picture(add_effect<CompositorState>(compositor_init, update), picture(peace_of_mind), screen, 230,
                  title ? 70 : 15, 31, 0);
  }

  auto* vertical = add_effect<VerticalBlurState>(vertical_blur_init, credits_blur_update);
  *vertical = {back, screen, 50};

  auto* horizontal = add_effect<HorizontalBlurState>(horizontal_blur_init, help_blur_update);
  *horizontal = {picture(first_help), back, 50};
}
