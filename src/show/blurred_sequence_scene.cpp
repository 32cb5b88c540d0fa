#include "show/blurred_sequence_scene.h"

#include <cmath>
#include <cstdlib>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "show/scene_kit.h"
#include "show/scenes.h"

int32_t beat_hit_index[4] = {0, 0, 0, 0};

namespace {

constexpr int32_t slot_ms = 62;
constexpr int32_t eye = 114;
// In the blur source tables the eye's index stands for the back buffer,
// which the builders fill with the eye picture.
constexpr int32_t back_buffer_marker = 114;

constexpr int32_t stairs_sources[128] = {
    122, 121, 122, 121, 121, 121, 122, 121, 125, 124, 123, 122, 122, 122, 114, 122,  //
    122, 122, 122, 122, 123, 122, 123, 122, 126, 125, 124, 123, 123, 123, 123, 123,  //
    124, 123, 124, 123, 123, 123, 123, 123, 127, 126, 125, 124, 125, 124, 114, 124,  //
    124, 124, 124, 124, 125, 124, 125, 124, 128, 127, 126, 125, 125, 125, 129, 126,  //
    127, 126, 127, 126, 126, 126, 127, 126, 130, 129, 128, 127, 127, 127, 114, 127,  //
    127, 127, 127, 127, 128, 127, 128, 127, 131, 130, 129, 128, 128, 128, 128, 128,  //
    129, 128, 129, 128, 128, 128, 129, 128, 132, 131, 130, 129, 130, 129, 114, 129,  //
    129, 129, 129, 129, 130, 129, 130, 129, 133, 132, 131, 130, 129, 128, 127, 126,
};

// The basement sequence follows the stairs table 19 pictures further on;
// the back-buffer slots stay where they are.
struct BasementSources {
  int32_t entries[128];
  constexpr BasementSources() : entries{} {
    for (int i = 0; i < 128; ++i) {
      entries[i] = stairs_sources[i] == back_buffer_marker ? back_buffer_marker : stairs_sources[i] + 19;
    }
  }
};
constexpr BasementSources basement_sources{};

constexpr int32_t elevator_pattern[32] = {155, 155, 156, 156, 156, 156, 156, 156, 157, 157, 158,
                                          158, 159, 159, 114, 159, 159, 159, 159, 159, 160, 160,
                                          161, 161, 162, 162, 163, 162, 161, 160, 158, 156};

struct ElevatorSources {
  int32_t entries[128];
  constexpr ElevatorSources() : entries{} {
    for (int i = 0; i < 128; ++i) entries[i] = elevator_pattern[i % 32];
  }
};
constexpr ElevatorSources elevator_sources{};

// Blur range per slot: a 64-slot pattern played twice.
constexpr int32_t range_pattern[64] = {
    1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   160, 120, 160, 120,  //
    80,  40,  160, 120, 80,  40,  160, 120, 80,  40,  1,   1,   1,   1,   1,   1,    //
    1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,    //
    1,   1,   1,   1,   160, 120, 80,  40,  160, 120, 80,  40,  160, 120, 80,  40,
};

constexpr int32_t beat_list[12] = {0, 2750, 3000, 3375, 3625, 3875, 6750, 7000, 7375, 7625, 7875, 12000};

constexpr int32_t mixer_table[32] = {216, 217, 216, 217, 216, 217, 218, 219, 216, 217, 218,
                                     219, 216, 217, 218, 219, 219, 219, 216, 217, 216, 217,
                                     216, 217, 216, 217, 216, 217, 218, 219, 219, 219};

// Edge smear position: p = trunc(e * scale + base) when rising, else
// trunc(base - e * scale); the span repeats line p over all lines before it,
// or over the rest of the image from p on.
struct SmearRule {
  double base;
  double scale;
  bool rising;
  bool to_end;
};

// A glide's x-rule: q * n from the left edge, or W - q * n from the right.
struct GlideRule {
  int32_t picture;
  int32_t row;
  bool from_right;
  double n;
};

struct SequenceScene {
  int32_t cue_ms;
  const int32_t* blur_sources;  // 128 slots; null: the photo series rule
  int32_t first_blur_picture;
  bool vertical_blur;
  int32_t design_picture;
  uint8_t design_opacity;
  bool column_smear;
  SmearRule phase_a;
  SmearRule phase_b;
  GlideRule glide_a;
  GlideRule glide_b;
  bool mixer;
  bool equipment;
};

constexpr SequenceScene scenes[4] = {
    {112000, stairs_sources, 121, false, 209, 31, false,
     {50.0, 65.0, true, false}, {250.0, 65.0, false, true},
     {136, 152, true, 250.0}, {137, 137, true, 200.0}, false, false},
    {120000, basement_sources.entries, 140, true, 210, 63, true,
     {90.0, 53.0, true, false}, {300.0, 53.0, false, true},
     {138, 120, false, 200.0}, {139, 200, false, 100.0}, false, false},
    {128000, elevator_sources.entries, 155, true, 209, 15, true,
     {100.0, 53.0, true, false}, {300.0, 53.0, false, true},
     {136, 190, false, 220.0}, {137, 152, true, 250.0}, true, false},
    {136000, nullptr, 121, false, 210, 63, false,
     {250.0, 65.0, false, true}, {50.0, 65.0, true, false},
     {138, 200, false, 100.0}, {139, 120, true, 250.0}, true, true},
};

int32_t slot_of(int32_t t) { return (t / slot_ms) % 128; }

Image* sequence_image(int32_t index) { return index == back_buffer_marker ? back_buffer() : picture(index); }

// Blur size: random on the runs of the range table, 1 (a plain copy) elsewhere.
int32_t random_blur_size(int32_t slot) { return std::rand() % range_pattern[slot % 64] + 1; }

void apply_smear_rule(int32_t* position, int32_t* span, int32_t extent, const SmearRule& rule, double e) {
  const int32_t p = rule.rising ? trunc_i32(e * rule.scale + rule.base) : trunc_i32(rule.base - e * rule.scale);
  *position = p;
  *span = rule.to_end ? extent - p : -p;
}

void rest_word(CompositorState* s, const GlideRule& rule) {
  s->opacity = 0;
  s->src = picture(rule.picture);
  s->src_w = s->dst_w = s->src->width;
  s->src_h = s->dst_h = s->src->height;
  s->dst_y = rule.row;
}

void glide_word(CompositorState* s, const GlideRule& rule, int32_t t, int32_t start) {
  const double v = (t - start) * pi;
  const double q = std::sin(v * 0.5 / 2250.0);
  const double w = s->dst->width;
  s->dst_x = trunc_i32(rule.from_right ? w - q * rule.n : q * rule.n);
  s->opacity = static_cast<uint8_t>(trunc_i32(std::sin(v / 2250.0) * 63.0));
}

template <int Scene>
void build_sequence_scene() {
  const SequenceScene& row = scenes[Scene];
  begin_scene();
  Image* screen = &screen_image;
  Image* back = back_buffer();

  auto* flash = add_effect<AddFillState>(add_fill_init, beat_list_flash_update<Scene>);
  *flash = {screen, 0xFFFFFFFFu, 0, 0, screen->width, screen->height};

  // Mixer and equipment pictures, added faintly; later pictures keep the
  // first one's rectangle.
  if (row.equipment) {
    place_picture(add_effect<CompositorState>(compositor_init, equipment_switch_update), picture(220), screen, 0, 0,
                  63, 1);
  }
  if (row.mixer) {
    place_picture(add_effect<CompositorState>(compositor_init, mixer_cycle_update<Scene>), picture(216), screen, 0, 0,
                  63, 1);
  }

  for (EffectUpdateFn update : {word_glide_update<Scene, true>, word_glide_update<Scene, false>}) {
    place_picture(add_effect<CompositorState>(compositor_init, update), picture(row.glide_a.picture), screen, 0, 135,
                  0, 0);
  }

  if (row.column_smear) {
    add_effect<ColumnSmearState>(column_smear_init, edge_smear_update<Scene>)->image = screen;
  } else {
    add_effect<RowSmearState>(row_smear_init, edge_smear_update<Scene>)->image = screen;
  }

  place_picture(add_effect<CompositorState>(compositor_init, nullptr), picture(row.design_picture), screen, 0, 0,
                row.design_opacity, 0);

  EffectUpdateFn blur_update = row.blur_sources != nullptr ? sequence_blur_update<Scene> : series_blur_update;
  if (row.vertical_blur) {
    *add_effect<VerticalBlurState>(vertical_blur_init, blur_update) = {picture(row.first_blur_picture), screen, 1};
  } else {
    *add_effect<HorizontalBlurState>(horizontal_blur_init, blur_update) = {picture(row.first_blur_picture), screen,
                                                                          1};
  }

  // The eye, drawn once into the back buffer for the blur's back-buffer slots.
  auto* once = static_cast<CompositorState*>(std::calloc(1, sizeof(CompositorState)));
  place_stretched(once, picture(eye), back, 128, 2);
  compositor_render(once, 0);
  std::free(once);
}

}  // namespace

template <int Scene>
void sequence_blur_update(void* state, int32_t now) {
  constexpr const SequenceScene& row = scenes[Scene];
  const int32_t k = slot_of(scene_time(now, row.cue_ms));
  Image* src = sequence_image(row.blur_sources[k]);
  const int32_t size = random_blur_size(k);
  if constexpr (row.vertical_blur) {
    auto* s = static_cast<VerticalBlurState*>(state);
    s->src = src;
    s->size = size;
  } else {
    auto* s = static_cast<HorizontalBlurState*>(state);
    s->src = src;
    s->size = size;
  }
}

void series_blur_update(void* state, int32_t now) {
  auto* s = static_cast<HorizontalBlurState*>(state);
  const int32_t k = slot_of(scene_time(now, scenes[3].cue_ms));
  const int32_t j = k % 32;
  s->src = j == 14 ? back_buffer() : picture(164 + j / 4);
  s->size = random_blur_size(k);
}

template <int Scene>
void edge_smear_update(void* state, int32_t now) {
  constexpr const SequenceScene& row = scenes[Scene];
  const int32_t t = scene_time(now, row.cue_ms);
  int32_t* position;
  int32_t* span;
  int32_t extent;
  if constexpr (row.column_smear) {
    auto* s = static_cast<ColumnSmearState*>(state);
    position = &s->column;
    span = &s->span;
    extent = s->image->width;
  } else {
    auto* s = static_cast<RowSmearState*>(state);
    position = &s->row;
    span = &s->span;
    extent = s->image->height;
  }
  if (t >= 2000 && t < 4000) {
    apply_smear_rule(position, span, extent, row.phase_a, std::cos((t - 2000) * pi / 3.0 / 2000.0));
  } else if (t >= 6000 && t < 8000) {
    apply_smear_rule(position, span, extent, row.phase_b, std::cos((t - 6000) * pi / 3.0 / 2000.0));
  } else {
    *position = 0;
    *span = 0;
  }
}

template <int Scene, bool Echo>
void word_glide_update(void* state, int32_t now) {
  const SequenceScene& row = scenes[Scene];
  auto* s = static_cast<CompositorState*>(state);
  const int32_t t = scene_time(now, row.cue_ms);
  // The echo follows the lead 62 ms later.
  const int32_t lag = Echo ? 62 : 0;
  const int32_t s1 = 1750 + lag, e1 = 4000 + lag, s2 = 5750 + lag;
  if (t < s1) {
    rest_word(s, row.glide_a);
  } else if (t < e1) {
    glide_word(s, row.glide_a, t, s1);
  } else if (t < s2) {
    rest_word(s, row.glide_b);
  } else {
    glide_word(s, row.glide_b, t, s2);
  }
}

template <int Scene>
void mixer_cycle_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, scenes[Scene].cue_ms);
  static_cast<CompositorState*>(state)->src = picture(mixer_table[(t / slot_ms) % 32]);
}

void equipment_switch_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, scenes[3].cue_ms);
  int32_t index = 220;
  if (t >= 4000) index = t % 500 <= 249 ? 222 : 221;
  static_cast<CompositorState*>(state)->src = picture(index);
}

template <int Scene>
void beat_list_flash_update(void* state, int32_t now) {
  const int32_t t = scene_time(now, scenes[Scene].cue_ms);
  int32_t g = beat_hit_index[Scene];
  while (g + 1 < 12 && beat_list[g + 1] <= t) ++g;
  beat_hit_index[Scene] = g;
  const int32_t d = t - beat_list[g];
  uint32_t colour = 0;
  if (d <= 255) {
    colour = g > 0 ? (static_cast<uint32_t>(127 - d / 2) << 24) | 0x00FFFFFFu
                   : (static_cast<uint32_t>(255 - d) << 24) | 0x00FFFFFFu;
  }
  static_cast<AddFillState*>(state)->colour = colour;
}

template void sequence_blur_update<0>(void*, int32_t);
template void sequence_blur_update<1>(void*, int32_t);
template void sequence_blur_update<2>(void*, int32_t);
template void edge_smear_update<0>(void*, int32_t);
template void edge_smear_update<1>(void*, int32_t);
template void edge_smear_update<2>(void*, int32_t);
template void edge_smear_update<3>(void*, int32_t);
template void word_glide_update<0, false>(void*, int32_t);
template void word_glide_update<0, true>(void*, int32_t);
template void word_glide_update<1, false>(void*, int32_t);
template void word_glide_update<1, true>(void*, int32_t);
template void word_glide_update<2, false>(void*, int32_t);
template void word_glide_update<2, true>(void*, int32_t);
template void word_glide_update<3, false>(void*, int32_t);
template void word_glide_update<3, true>(void*, int32_t);
template void mixer_cycle_update<2>(void*, int32_t);
template void mixer_cycle_update<3>(void*, int32_t);
template void beat_list_flash_update<0>(void*, int32_t);
template void beat_list_flash_update<1>(void*, int32_t);
template void beat_list_flash_update<2>(void*, int32_t);
template void beat_list_flash_update<3>(void*, int32_t);

void build_stairs_scene() { build_sequence_scene<0>(); }
void build_basement_scene() { build_sequence_scene<1>(); }
void build_elevator_scene() { build_sequence_scene<2>(); }
void build_photo_series_scene() { build_sequence_scene<3>(); }
