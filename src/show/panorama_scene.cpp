#include "show/panorama_scene.h"

#include <cmath>
#include <cstdlib>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

namespace {

constexpr int32_t cue_ms = 144000;

constexpr int32_t panorama = 172;
constexpr int32_t beer = 185;
constexpr int32_t first_water = 186;
constexpr int32_t peace_of_mind = 190;
constexpr int32_t escaping_reality = 191;

// The three thumbnail slots: per 4000 ms block the picture and position,
// and the part of the block's last 750 ms in which the slot shows.
struct Placement {
  int32_t picture;
  int32_t x, y;
};

struct ThumbnailSlot {
  Placement blocks[4];
  int32_t from;  // first u of the slot's window
  int32_t to;    // last u of the slot's window
};

constexpr ThumbnailSlot thumbnail_slots[3] = {
    {{{173, 277, 259}, {176, 87, 259}, {179, 359, 5}, {182, 5, 5}}, 3250, 3499},
    {{{174, 318, 259}, {177, 46, 259}, {180, 318, 5}, {183, 46, 5}}, 3500, 3749},
    {{{175, 359, 259}, {178, 5, 259}, {181, 277, 5}, {184, 87, 5}}, 3750, 3999},
};

int32_t block_of(int32_t t) {
  if (t <= 3999) return 0;
  if (t <= 7999) return 1;
  if (t <= 11999) return 2;
  return 3;
}

// Sizes stay those of the slot's first picture.
void thumbnail(void* state, int32_t now, const ThumbnailSlot& slot) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  const Placement& p = slot.blocks[block_of(t)];
  s->src = picture(p.picture);
  s->dst_x = p.x;
  s->dst_y = p.y;
  int32_t u = t;
  while (u > 3999) u -= 4000;
  s->opacity = u >= slot.from && u <= slot.to ? 255 : 0;
}

}  // namespace

void panorama_scroll_update(void* state, int32_t now) {
  auto* s = static_cast<CompositorState*>(state);
  const double x = scene_time(now, cue_ms) / 16000.0;
  s->opacity = static_cast<uint8_t>(trunc_i32(255.0 - std::pow(x, 2.0) * 255.0));
  s->src_x = trunc_i32(std::pow(x, 2.0) * 760.0);
}

void water_fade_in_update(void* state, int32_t now) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  s->src = picture(first_water + (t / 125) % 4);
  s->opacity = static_cast<uint8_t>((255 * (t % 125) * t) / 2000000);
}

void water_fade_out_update(void* state, int32_t now) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  s->src = picture(first_water + (t / 125 + 1) % 4);
  s->opacity = static_cast<uint8_t>((255 * (124 - t % 125) * t) / 2000000);
}

void beer_glow_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, cue_ms);
  static_cast<CompositorState*>(state)->opacity =
      static_cast<uint8_t>(trunc_i32(std::pow(t / 16000.0, 2.0) * 39.0));
}

void caption_jitter_update(void* state, int32_t now) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, cue_ms);
  const bool first_half = t <= 7999;
  const int32_t u = first_half ? t : t - 8000;
  const int32_t base_x = first_half ? 240 : 15;
  const int32_t base_y = first_half ? 30 : 120;
  s->src = picture(first_half ? peace_of_mind : escaping_reality);
  // The jitter range shrinks from 10 pixels to 2 as j grows.
  const int32_t j = trunc_i32(std::sin(u * pi * 0.5 / 8000.0) * 9.0);
  s->dst_x = std::rand() % (10 - j) - j / 2 + base_x;
  s->dst_y = std::rand() % (10 - j) - j / 2 + base_y;
  s->opacity = static_cast<uint8_t>(trunc_i32(std::sin(u * pi / 8000.0) * 63.0));
  s->src_w = s->dst_w = s->src->width;
  s->src_h = s->dst_h = s->src->height;
}

void thumbnail_first_update(void* state, int32_t now) { thumbnail(state, now, thumbnail_slots[0]); }
void thumbnail_second_update(void* state, int32_t now) { thumbnail(state, now, thumbnail_slots[1]); }
void thumbnail_third_update(void* state, int32_t now) { thumbnail(state, now, thumbnail_slots[2]); }

void panorama_blur_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, cue_ms);
  static_cast<VerticalBlurState*>(state)->size = t <= 14000 ? 1 : std::rand() % ((t - 14000) / 8 + 1) + 1;
}

void panorama_flash_update(void* state, int32_t now) {
  const int32_t q = scene_time(now, cue_ms) / 4;
  static_cast<AddFillState*>(state)->colour = q > 255 ? 0u : (static_cast<uint32_t>(255 - q) << 24) | 0x00FFFFFFu;
}

void build_panorama_scene() {
  begin_scene();
  Image* screen = &screen_image;
  Image* back = back_buffer();

  auto* flash = add_effect<AddFillState>(add_fill_init, panorama_flash_update);
  *flash = {screen, 0xFFFFFFFFu, 0, 0, screen->width, screen->height};

  auto* blur = add_effect<VerticalBlurState>(vertical_blur_init, panorama_blur_update);
  *blur = {back, screen, 1};

  // Thumbnail slots, third first (reverse processing order).
  static constexpr EffectUpdateFn thumbnail_updates[3] = {thumbnail_first_update, thumbnail_second_update,
                                                          thumbnail_third_update};
  for (int slot = 2; slot >= 0; --slot) {
    const Placement& first = thumbnail_slots[slot].blocks[0];
    place_picture(add_effect<CompositorState>(compositor_init, thumbnail_updates[slot]), picture(first.picture), back,
                  first.x, first.y, 0, 0);
  }

  for (int copy = 0; copy < 2; ++copy) {
    place_picture(add_effect<CompositorState>(compositor_init, caption_jitter_update), picture(peace_of_mind), back,
                  230, 15, 31, 0);
  }

  place_picture(add_effect<CompositorState>(compositor_init, beer_glow_update), picture(beer), back, 230, 0, 31, 1);

  // Two water frames added over the scroll, reading 400 by 300 of each.
  place_full_frame(add_effect<CompositorState>(compositor_init, water_fade_out_update), picture(first_water + 1), back,
                   255, 1);
  place_full_frame(add_effect<CompositorState>(compositor_init, water_fade_in_update), picture(first_water), back, 255,
                   1);

  place_full_frame(add_effect<CompositorState>(compositor_init, panorama_scroll_update), picture(panorama), back, 255,
                   2);
}
