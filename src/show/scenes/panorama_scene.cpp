#include "show/scenes/panorama_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

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
    {{{pic::lapinkultasmall1, 277, 259},
      {pic::lapinkultasmall4, 87, 259},
      {pic::lapinkultasmall7, 359, 5},
      {pic::lapinkultasmall10, 5, 5}},
     3250,
     3499},
    {{{pic::lapinkultasmall2, 318, 259},
      {pic::lapinkultasmall5, 46, 259},
      {pic::lapinkultasmall8, 318, 5},
      {pic::lapinkultasmall11, 46, 5}},
     3500,
     3749},
    {{{pic::lapinkultasmall3, 359, 259},
      {pic::lapinkultasmall6, 5, 259},
      {pic::lapinkultasmall9, 277, 5},
      {pic::lapinkultasmall12, 87, 5}},
     3750,
     3999},
};

// Sizes stay those of the slot's first picture.
template <int Slot>
void thumbnail_update(CompositorState& s, const Scene& scene, int32_t t) {
  const ThumbnailSlot& slot = thumbnail_slots[Slot];
  const Placement& p = slot.blocks[block_of(t)];
  s.src = scene.picture(p.picture);
  s.dst_x = p.x;
  s.dst_y = p.y;
  int32_t u = t;
  while (u > 3999) u -= 4000;
  s.opacity = u >= slot.from && u <= slot.to ? 255 : 0;
}

void panorama_scroll_update(CompositorState& s, int32_t t) {
  const double x = t / 16000.0;
  s.opacity = static_cast<uint8_t>(trunc_i32(255.0 - std::pow(x, 2.0) * 255.0));
  s.src_x = trunc_i32(std::pow(x, 2.0) * 760.0);
}

void water_fade_in_update(CompositorState& s, const Scene& scene, int32_t t) {
  s.src = scene.picture(pic::water1 + (t / 125) % 4);
  s.opacity = static_cast<uint8_t>((255 * (t % 125) * t) / 2000000);
}

void water_fade_out_update(CompositorState& s, const Scene& scene, int32_t t) {
  s.src = scene.picture(pic::water1 + (t / 125 + 1) % 4);
  s.opacity = static_cast<uint8_t>((255 * (124 - t % 125) * t) / 2000000);
}

void beer_glow_update(CompositorState& s, int32_t t) {
  s.opacity = static_cast<uint8_t>(trunc_i32(std::pow(t / 16000.0, 2.0) * 39.0));
}

void caption_jitter_update(CompositorState& s, const Scene& scene, int32_t t) {
  const bool first_half = t <= 7999;
  const int32_t u = first_half ? t : t - 8000;
  const int32_t base_x = first_half ? 240 : 15;
  const int32_t base_y = first_half ? 30 : 120;
  set_picture(s, scene.picture(first_half ? pic::peaceofmind : pic::escapingreality));
  // The jitter range shrinks from 10 pixels to 2 as j grows.
  const int32_t j = trunc_i32(std::sin(u * pi * 0.5 / 8000.0) * 9.0);
  s.dst_x = scene.random() % (10 - j) - j / 2 + base_x;
  s.dst_y = scene.random() % (10 - j) - j / 2 + base_y;
  s.opacity = static_cast<uint8_t>(trunc_i32(std::sin(u * pi / 8000.0) * 63.0));
}

void panorama_blur_update(VerticalBlurState& s, const Scene& scene, int32_t t) {
  s.size = t <= 14000 ? 1 : scene.random() % ((t - 14000) / 8 + 1) + 1;
}

void panorama_flash_update(AddFillState& s, int32_t t) { s.colour = white_flash(255 - t / 4); }

}  // namespace

void build_panorama_scene(SceneBuilder<>& b) {
  Image* screen = b.screen();
  Image* back = b.back_buffer();

  place_full_frame(b.add(update<panorama_scroll_update>), b.picture(pic::lapinkulta), back, 255, blend::replace);

  // Two water frames added over the scroll, reading 400 by 300 of each.
  place_full_frame(b.add(update<water_fade_in_update>), b.picture(pic::water1), back, 255, blend::add);
  place_full_frame(b.add(update<water_fade_out_update>), b.picture(pic::water1 + 1), back, 255, blend::add);

  place_picture(b.add(update<beer_glow_update>), b.picture(pic::beer), back, 230, 0, 31, blend::add);

  for (int copy = 0; copy < 2; ++copy) {
    place_picture(b.add(update<caption_jitter_update>), b.picture(pic::peaceofmind), back, 230, 15, 31, blend::alpha);
  }

  const Update<CompositorState> thumbnail_updates[3] = {update<thumbnail_update<0>>, update<thumbnail_update<1>>,
                                                        update<thumbnail_update<2>>};
  for (int slot = 0; slot < 3; ++slot) {
    const Placement& first = thumbnail_slots[slot].blocks[0];
    place_picture(b.add(thumbnail_updates[slot]), b.picture(first.picture), back, first.x, first.y, 0, blend::alpha);
  }

  b.add(update<panorama_blur_update>) = {.src = back, .dst = screen, .size = 1};
  b.add_flash(update<panorama_flash_update>);
}
