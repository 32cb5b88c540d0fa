#include "show/scenes/keyword_photo_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

using S = KeywordSmear;
using F = KeywordFlash;
constexpr int32_t picture_width = 0;  // label width taken from the label picture

constexpr int32_t keyword_y = 104;

}  // namespace

// clang-format off
const KeywordPhotoRow keyword_photo_rows[8] = {
    // P, K, L1, L2;
    // right, sign, out, in, D, label width, L1 x/base, L2 x/base/divisor, thumbnail row;
    // S1..S3 (picture, x, time); smear, flash
    {pic::factory2, pic::energy, pic::bullshitblack, pic::bullshitblack,
     false, +1, 115, 120, 550, 100, 125, 210, 10, 130, 32, 5,
     {{pic::factory2small1, 277, 3250}, {pic::factory2small2, 318, 3500}, {pic::factory2small3, 359, 3750}},
     S::down, F::a},
    {pic::crane1, pic::machinery, pic::bullshitblack, pic::bullshitblack,
     true, -1, 165, 160, 550, picture_width, 95, 250, 245, 170, 32, 5,
     {{pic::crane1small1, 5, 3250}, {pic::crane1small2, 46, 3500}, {pic::crane1small3, 87, 3750}},
     S::up, F::b},
    {pic::factory3, pic::electricity, pic::bullshitblack, pic::bullshitblack,
     false, +1, 115, 120, 550, 100, 125, 210, 15, 150, 32, 259,
     {{pic::factory3small1, 5, 3750}, {pic::factory3small2, 46, 3500}, {pic::factory3small3, 87, 3250}},
     S::down, F::a},
    {pic::traffic9, pic::technology, pic::bullshitblack, pic::bullshitblack,
     true, -1, 165, 160, 550, picture_width, 95, 250, 245, 170, 32, 259,
     {{pic::traffic9small1, 277, 3750}, {pic::traffic9small2, 318, 3500}, {pic::traffic9small3, 359, 3250}},
     S::up, F::b},
    {pic::factory4, pic::energy, pic::bullshitblack, pic::bullshitwhite,
     false, +1, 45, 50, 450, 100, 15, 120, 290, 220, 32, 5,
     {{pic::factory4small1, 277, 3250}, {pic::factory4small2, 318, 3500}, {pic::factory4small3, 359, 3750}},
     S::down, F::a},
    {pic::crane2, pic::machinery, pic::bullshitblack, pic::bullshitwhite,
     true, -1, 185, 180, 550, picture_width, 95, 250, 245, 185, 16, 5,
     {{pic::crane2small1, 5, 3250}, {pic::crane2small2, 46, 3500}, {pic::crane2small3, 87, 3750}},
     S::up, F::a},
    {pic::powerstation, pic::electricity, pic::bullshitblack, pic::bullshitwhite,
     false, +1, 215, 220, 550, 100, 15, 70, 285, 220, 32, 5,
     {{pic::powerstationsmall1, 277, 3750}, {pic::powerstationsmall2, 318, 3500}, {pic::powerstationsmall3, 359, 3250}},
     S::up, F::b},
    {pic::traffic10, pic::technology, pic::bullshitblack, pic::bullshitblack,
     true, -1, 235, 230, 450, picture_width, 25, 250, 245, 145, 32, 5,
     {{pic::traffic10small1, 87, 3750}, {pic::traffic10small2, 46, 3500}, {pic::traffic10small3, 5, 3250}},
     S::up, F::b},
};
// clang-format on

namespace {

// Cubic ease towards a base: (distance in ms / D)^3 rows, the ms converted
// to floating point before the division.
int32_t glide(const KeywordPhotoRow& row, int32_t remaining_ms) {
  return trunc_i32(std::pow(static_cast<double>(remaining_ms) / row.motion_divisor, 3.0));
}

void keyword_photo_update(CompositorState& s, int32_t t) {
  // After two seconds the view cuts to the photograph's right end.
  s.src_x = t <= 1999 ? 0 : s.src->width - s.dst->width;
}

void keyword_blur_update(HorizontalBlurState& s, const Scene& scene, int32_t t) {
  if (t <= 3999) {
    const int32_t d = 4000 - t;
    s.size = d / 128 + scene.random() % (d / 64 + 1) + 1;
  } else {
    s.size = 1;
  }
}

void label_sink_update(CompositorState& s, const KeywordScene& scene, int32_t t) {
  s.dst_y = scene.row->sink_base + t / 128;
  s.opacity = static_cast<uint8_t>(t / scene.row->sink_opacity_divisor);
}

void label_lift_update(CompositorState& s, const KeywordScene& scene, int32_t t) {
  s.dst_y = scene.row->lift_base - t / 128;
  s.opacity = static_cast<uint8_t>(t / 32);
}

void keyword_fade_out_update(CompositorState& s, const KeywordScene& scene, int32_t t) {
  const KeywordPhotoRow& row = *scene.row;
  if (t > 2249) {
    s.opacity = 0;  // gone; dst_y stays
    return;
  }
  s.opacity = static_cast<uint8_t>(((2250 - t) * 255) / 2250);
  s.dst_y = row.base_out + row.motion_sign * glide(row, 2250 - t);
}

void keyword_fade_in_update(CompositorState& s, const KeywordScene& scene, int32_t t) {
  const KeywordPhotoRow& row = *scene.row;
  if (t <= 499) return;
  if (t <= 2749) {
    s.opacity = static_cast<uint8_t>(((t - 500) * 255) / 2250);
    s.dst_y = row.base_in + row.motion_sign * glide(row, 2750 - t);
    return;
  }
  // At rest. Setting the base (where the glide ends anyway) keeps a scene
  // whose first frame comes late from showing the copy at its initial row.
  s.opacity = 255;
  s.dst_y = row.base_in;
}

// The thumbnail of slot Slot (0 = S1, 1 = S2, 2 = S3).
template <int Slot>
void thumbnail_update(CompositorState& s, const KeywordScene& scene, int32_t t) {
  s.opacity = t >= scene.row->thumbnails[Slot].appear_ms ? 255 : 0;
}

void keyword_smear_update(RowSmearState& s, const KeywordScene& scene, int32_t t) {
  if (t >= 2000) {
    s.row = 0;
    s.span = 0;
    return;
  }
  // The band holds until 1750 ms, then shrinks towards its edge with a cubic ease-in.
  const int32_t shift = t <= 1749 ? 0 : trunc_i32(std::pow((t - 1750) / 52.0, 3.0));
  if (scene.row->smear == KeywordSmear::down) {
    s.row = 185 + shift;
    s.span = s.image->height - s.row;  // rows below repeat the source row
  } else {
    s.row = 115 - shift;
    s.span = -s.row;  // rows above repeat the source row
  }
}

void keyword_flash_update(AddFillState& s, const KeywordScene& scene, int32_t t) {
  // Variant A: half strength fading over 2048 ms; B: three quarters over 2304 ms.
  const bool a = scene.row->flash == KeywordFlash::a;
  s.colour = a ? white_flash(127 - t / 16) : white_flash(191 - t / 12);
}

}  // namespace

void build_keyword_photo_scene(SceneBuilder<KeywordScene>& b, const KeywordPhotoRow& row) {
  b.scene().row = &row;
  Image* back = b.back_buffer();
  Image* screen = b.screen();

  place_full_frame(b.add(update<keyword_photo_update>), b.picture(row.photo), back, 255, blend::replace);
  b.add(update<keyword_blur_update>) = {.src = back, .dst = screen, .size = 1};

  // Labels: a 100-column window of the picture, or the whole picture.
  auto add_label = [&](Update<CompositorState, KeywordScene> label_update, int32_t index, int32_t x) {
    CompositorState& s = b.add(label_update);
    place_picture(s, b.picture(index), screen, x, 0, 0, blend::alpha);
    if (row.label_width != picture_width) s.src_w = s.dst_w = row.label_width;
  };
  add_label(update<label_sink_update>, row.sink_label, row.sink_x);
  add_label(update<label_lift_update>, row.lift_label, row.lift_x);

  Image* keyword = b.picture(row.keyword);
  const int32_t keyword_x = row.keyword_at_right ? screen->width - keyword->width : 0;
  place_picture(b.add(update<keyword_fade_out_update>), keyword, screen, keyword_x, keyword_y, 0, blend::alpha);
  place_picture(b.add(update<keyword_fade_in_update>), keyword, screen, keyword_x, keyword_y, 0, blend::alpha);

  const Update<CompositorState, KeywordScene> thumbnail_updates[3] = {
      update<thumbnail_update<0>>, update<thumbnail_update<1>>, update<thumbnail_update<2>>};
  for (int slot = 0; slot < 3; ++slot) {
    const KeywordThumbnail& thumb = row.thumbnails[slot];
    place_picture(b.add(thumbnail_updates[slot]), b.picture(thumb.picture), screen, thumb.dst_x, row.thumbnail_y, 255,
                  blend::alpha);
  }

  b.add(update<keyword_smear_update>) = {.image = screen, .row = 0, .span = 0};
  b.add_flash(update<keyword_flash_update>);
}
