#include "show/keyword_photo_scene.h"

#include <cmath>
#include <cstdlib>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

namespace {

using S = KeywordSmear;
using F = KeywordFlash;
constexpr int32_t picture_width = 0;  // label width taken from the label picture

constexpr int32_t keyword_y = 104;

}  // namespace

const KeywordPhotoRow keyword_photo_rows[8] = {
    // cue, P, K, L1, L2, right, sign, out, in, D, label width, L1 x/base, L2 x/base/divisor, thumbnail
    // row, S1..S3 (picture, x, time), smear, flash
    {48000, 40, 44, 30, 30, false, +1, 115, 120, 550, 100, 125, 210, 10, 130, 32, 5,
     {{41, 277, 3250}, {42, 318, 3500}, {43, 359, 3750}}, S::down, F::a},
    {52000, 45, 49, 30, 30, true, -1, 165, 160, 550, picture_width, 95, 250, 245, 170, 32, 5,
     {{46, 5, 3250}, {47, 46, 3500}, {48, 87, 3750}}, S::up, F::b},
    {56000, 50, 54, 30, 30, false, +1, 115, 120, 550, 100, 125, 210, 15, 150, 32, 259,
     {{51, 5, 3750}, {52, 46, 3500}, {53, 87, 3250}}, S::down, F::a},
    {60000, 55, 59, 30, 30, true, -1, 165, 160, 550, picture_width, 95, 250, 245, 170, 32, 259,
     {{56, 277, 3750}, {57, 318, 3500}, {58, 359, 3250}}, S::up, F::b},
    {80000, 84, 44, 30, 29, false, +1, 45, 50, 450, 100, 15, 120, 290, 220, 32, 5,
     {{85, 277, 3250}, {86, 318, 3500}, {87, 359, 3750}}, S::down, F::a},
    {84000, 88, 49, 30, 29, true, -1, 185, 180, 550, picture_width, 95, 250, 245, 185, 16, 5,
     {{89, 5, 3250}, {90, 46, 3500}, {91, 87, 3750}}, S::up, F::a},
    {88000, 92, 54, 30, 29, false, +1, 215, 220, 550, 100, 15, 70, 285, 220, 32, 5,
     {{93, 277, 3750}, {94, 318, 3500}, {95, 359, 3250}}, S::up, F::b},
    {92000, 96, 59, 30, 30, true, -1, 235, 230, 450, picture_width, 25, 250, 245, 145, 32, 5,
     {{97, 87, 3750}, {98, 46, 3500}, {99, 5, 3250}}, S::up, F::b},
};

const KeywordPhotoRow* keyword_active_row = &keyword_photo_rows[0];

namespace {

int32_t row_time(int32_t now_ms) { return scene_time(now_ms, keyword_active_row->cue_ms); }

// Cubic ease towards a base: (distance in ms / D)^3 rows, the ms converted
// to floating point before the division.
int32_t glide(int32_t remaining_ms) {
  return trunc_i32(std::pow(static_cast<double>(remaining_ms) / keyword_active_row->motion_divisor, 3.0));
}

}  // namespace

void keyword_photo_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = row_time(now_ms);
  // After two seconds the view cuts to the photograph's right end.
  s->src_x = t <= 1999 ? 0 : s->src->width - s->dst->width;
}

void keyword_blur_update(void* state, int32_t now_ms) {
  auto* s = static_cast<HorizontalBlurState*>(state);
  const int32_t t = row_time(now_ms);
  if (t <= 3999) {
    const int32_t d = 4000 - t;
    s->size = d / 128 + std::rand() % (d / 64 + 1) + 1;
  } else {
    s->size = 1;
  }
}

void label_sink_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = row_time(now_ms);
  s->dst_y = keyword_active_row->sink_base + t / 128;
  s->opacity = static_cast<uint8_t>(t / keyword_active_row->sink_opacity_divisor);
}

void label_lift_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = row_time(now_ms);
  s->dst_y = keyword_active_row->lift_base - t / 128;
  s->opacity = static_cast<uint8_t>(t / 32);
}

void keyword_fade_out_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = row_time(now_ms);
  if (t > 2249) {
    s->opacity = 0;  // gone; dst_y stays
    return;
  }
  s->opacity = static_cast<uint8_t>(((2250 - t) * 255) / 2250);
  s->dst_y = keyword_active_row->base_out + keyword_active_row->motion_sign * glide(2250 - t);
}

void keyword_fade_in_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = row_time(now_ms);
  if (t <= 499) return;
  if (t <= 2749) {
    s->opacity = static_cast<uint8_t>(((t - 500) * 255) / 2250);
    s->dst_y = keyword_active_row->base_in + keyword_active_row->motion_sign * glide(2750 - t);
    return;
  }
  // At rest. Setting the base (where the glide ends anyway) keeps a scene
  // whose first frame comes late from showing the copy at its initial row.
  s->opacity = 255;
  s->dst_y = keyword_active_row->base_in;
}

template <int Slot>
void thumbnail_update(void* state, int32_t now_ms) {
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = row_time(now_ms);
  s->opacity = t >= keyword_active_row->thumbnails[Slot].appear_ms ? 255 : 0;
}
template void thumbnail_update<0>(void*, int32_t);
template void thumbnail_update<1>(void*, int32_t);
template void thumbnail_update<2>(void*, int32_t);

void keyword_smear_update(void* state, int32_t now_ms) {
  auto* s = static_cast<RowSmearState*>(state);
  const int32_t t = row_time(now_ms);
  if (t >= 2000) {
    s->row = 0;
    s->span = 0;
    return;
  }
  // The band holds until 1750 ms, then shrinks towards its edge with a cubic ease-in.
  const int32_t shift = t <= 1749 ? 0 : trunc_i32(std::pow((t - 1750) / 52.0, 3.0));
  if (keyword_active_row->smear == KeywordSmear::down) {
    s->row = 185 + shift;
    s->span = s->image->height - s->row;  // rows below repeat the source row
  } else {
    s->row = 115 - shift;
    s->span = -s->row;  // rows above repeat the source row
  }
}

void keyword_flash_update(void* state, int32_t now_ms) {
  auto* s = static_cast<AddFillState*>(state);
  const int32_t t = row_time(now_ms);
  // Variant A: half strength fading over 2048 ms; B: three quarters over 2304 ms.
  const bool a = keyword_active_row->flash == KeywordFlash::a;
  const int32_t k = a ? t / 16 : t / 12;
  const int32_t top = a ? 127 : 191;
  s->colour = k > top ? 0u : (static_cast<uint32_t>(top - k) << 24) | 0x00FFFFFFu;
}

void build_keyword_photo_scene(const KeywordPhotoRow& row) {
  begin_scene();
  keyword_active_row = &row;
  Image* back = back_buffer();
  Image* screen = &screen_image;

  auto* flash = add_effect<AddFillState>(add_fill_init, keyword_flash_update);
  *flash = {screen, 0xFFFFFFFFu, 0, 0, screen->width, screen->height};

  auto* smear = add_effect<RowSmearState>(row_smear_init, keyword_smear_update);
  *smear = {screen, 0, 0};

  const EffectUpdateFn thumbnail_updates[3] = {thumbnail_update<0>, thumbnail_update<1>, thumbnail_update<2>};
  for (int slot = 2; slot >= 0; --slot) {
    const KeywordThumbnail& thumb = row.thumbnails[slot];
    place_picture(add_effect<CompositorState>(compositor_init, thumbnail_updates[slot]), picture(thumb.picture),
                  screen, thumb.dst_x, row.thumbnail_y, 255, 0);
  }

  Image* keyword = picture(row.keyword);
  const int32_t keyword_x = row.keyword_at_right ? screen->width - keyword->width : 0;
  place_picture(add_effect<CompositorState>(compositor_init, keyword_fade_in_update), keyword, screen, keyword_x,
                keyword_y, 0, 0);
  place_picture(add_effect<CompositorState>(compositor_init, keyword_fade_out_update), keyword, screen, keyword_x,
                keyword_y, 0, 0);

  // Labels: a 100-column window of the picture, or the whole picture.
  auto place_label = [&](EffectUpdateFn update, int32_t index, int32_t x) {
    auto* s = add_effect<CompositorState>(compositor_init, update);
    Image* label = picture(index);
    place_picture(s, label, screen, x, 0, 0, 0);
    if (row.label_width != picture_width) s->src_w = s->dst_w = row.label_width;
  };
  place_label(label_lift_update, row.lift_label, row.lift_x);
  place_label(label_sink_update, row.sink_label, row.sink_x);

  auto* blur = add_effect<HorizontalBlurState>(horizontal_blur_init, keyword_blur_update);
  blur->src = back;
  blur->dst = screen;
  blur->size = 1;

  place_full_frame(add_effect<CompositorState>(compositor_init, keyword_photo_update), picture(row.photo), back, 255, 2);
}

void build_keyword_photo_scene_cue6() { build_keyword_photo_scene(keyword_photo_rows[0]); }
void build_keyword_photo_scene_cue7() { build_keyword_photo_scene(keyword_photo_rows[1]); }
void build_keyword_photo_scene_cue8() { build_keyword_photo_scene(keyword_photo_rows[2]); }
void build_keyword_photo_scene_cue9() { build_keyword_photo_scene(keyword_photo_rows[3]); }
void build_keyword_photo_scene_cue12() { build_keyword_photo_scene(keyword_photo_rows[4]); }
void build_keyword_photo_scene_cue13() { build_keyword_photo_scene(keyword_photo_rows[5]); }
void build_keyword_photo_scene_cue14() { build_keyword_photo_scene(keyword_photo_rows[6]); }
void build_keyword_photo_scene_cue15() { build_keyword_photo_scene(keyword_photo_rows[7]); }
