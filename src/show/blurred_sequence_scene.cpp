#include "show/blurred_sequence_scene.h"

#include <cmath>
#include <cstdlib>

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

}  // namespace

struct SequenceRow {
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

const SequenceRow stairs_sequence = {stairs_sources, 121, false, 209, 31, false,
     {50.0, 65.0, true, false}, {250.0, 65.0, false, true},
     {136, 152, true, 250.0}, {137, 137, true, 200.0}, false, false};
const SequenceRow basement_sequence = {basement_sources.entries, 140, true, 210, 63, true,
     {90.0, 53.0, true, false}, {300.0, 53.0, false, true},
     {138, 120, false, 200.0}, {139, 200, false, 100.0}, false, false};
const SequenceRow elevator_sequence = {elevator_sources.entries, 155, true, 209, 15, true,
     {100.0, 53.0, true, false}, {300.0, 53.0, false, true},
     {136, 190, false, 220.0}, {137, 152, true, 250.0}, true, false};
const SequenceRow photo_series_sequence = {nullptr, 121, false, 210, 63, false,
     {250.0, 65.0, false, true}, {50.0, 65.0, true, false},
     {138, 200, false, 100.0}, {139, 120, true, 250.0}, true, true};

namespace {

int32_t slot_of(int32_t t) { return (t / slot_ms) % 128; }

Image* sequence_image(const Scene& scene, int32_t index) {
  return index == back_buffer_marker ? scene.back_buffer() : scene.picture(index);
}

// Blur size: random on the runs of the range table, 1 (a plain copy) elsewhere.
int32_t random_blur_size(int32_t slot) { return std::rand() % range_pattern[slot % 64] + 1; }

void apply_smear_rule(int32_t* position, int32_t* span, int32_t extent, const SmearRule& rule, double e) {
  const int32_t p = rule.rising ? trunc_i32(e * rule.scale + rule.base) : trunc_i32(rule.base - e * rule.scale);
  *position = p;
  *span = rule.to_end ? extent - p : -p;
}

void rest_word(CompositorState& s, const Scene& scene, const GlideRule& rule) {
  s.opacity = 0;
  s.src = scene.picture(rule.picture);
  s.src_w = s.dst_w = s.src->width;
  s.src_h = s.dst_h = s.src->height;
  s.dst_y = rule.row;
}

void glide_word(CompositorState& s, const GlideRule& rule, int32_t t, int32_t start) {
  const double v = (t - start) * pi;
  const double q = std::sin(v * 0.5 / 2250.0);
  const double w = s.dst->width;
  s.dst_x = trunc_i32(rule.from_right ? w - q * rule.n : q * rule.n);
  s.opacity = static_cast<uint8_t>(trunc_i32(std::sin(v / 2250.0) * 63.0));
}

template <class Blur>
void sequence_blur_update(Blur& s, const SequenceScene& scene, int32_t t) {
  const int32_t k = slot_of(t);
  s.src = sequence_image(scene, scene.row->blur_sources[k]);
  s.size = random_blur_size(k);
}

void series_blur_update(HorizontalBlurState& s, const SequenceScene& scene, int32_t t) {
  const int32_t k = slot_of(t);
  const int32_t j = k % 32;
  s.src = j == 14 ? scene.back_buffer() : scene.picture(164 + j / 4);
  s.size = random_blur_size(k);
}

int32_t& smear_position(ColumnSmearState& s) { return s.column; }
int32_t& smear_position(RowSmearState& s) { return s.row; }
int32_t smear_extent(const ColumnSmearState& s) { return s.image->width; }
int32_t smear_extent(const RowSmearState& s) { return s.image->height; }

template <class Smear>
void edge_smear_update(Smear& s, const SequenceScene& scene, int32_t t) {
  const SequenceRow& row = *scene.row;
  int32_t* position = &smear_position(s);
  if (t >= 2000 && t < 4000) {
    apply_smear_rule(position, &s.span, smear_extent(s), row.phase_a, std::cos((t - 2000) * pi / 3.0 / 2000.0));
  } else if (t >= 6000 && t < 8000) {
    apply_smear_rule(position, &s.span, smear_extent(s), row.phase_b, std::cos((t - 6000) * pi / 3.0 / 2000.0));
  } else {
    *position = 0;
    s.span = 0;
  }
}

// The lead word, or its echo, which follows it 62 ms later.
template <bool echo>
void word_glide_update(CompositorState& s, const SequenceScene& scene, int32_t t) {
  const SequenceRow& row = *scene.row;
  const int32_t lag = echo ? 62 : 0;
  const int32_t s1 = 1750 + lag, e1 = 4000 + lag, s2 = 5750 + lag;
  if (t < s1) {
    rest_word(s, scene, row.glide_a);
  } else if (t < e1) {
    glide_word(s, row.glide_a, t, s1);
  } else if (t < s2) {
    rest_word(s, scene, row.glide_b);
  } else {
    glide_word(s, row.glide_b, t, s2);
  }
}

void mixer_cycle_update(CompositorState& s, const Scene& scene, int32_t t) {
  s.src = scene.picture(mixer_table[(t / slot_ms) % 32]);
}

void equipment_switch_update(CompositorState& s, const Scene& scene, int32_t t) {
  int32_t index = 220;
  if (t >= 4000) index = t % 500 <= 249 ? 222 : 221;
  s.src = scene.picture(index);
}

void beat_list_flash_update(AddFillState& s, SequenceScene& scene, int32_t t) {
  int32_t g = scene.beat_hit;
  while (g + 1 < 12 && beat_list[g + 1] <= t) ++g;
  scene.beat_hit = g;
  const int32_t d = t - beat_list[g];
  s.colour = d > 255 ? 0u : white(g > 0 ? 127 - d / 2 : 255 - d);
}

}  // namespace

void build_blurred_sequence_scene(SceneBuilder<SequenceScene>& b, const SequenceRow& row) {
  b.scene().row = &row;
  Image* screen = b.screen();
  Image* blur_source = b.picture(row.first_blur_picture);

  if (row.vertical_blur) {
    b.add(update<sequence_blur_update<VerticalBlurState>>) = {.src = blur_source, .dst = screen, .size = 1};
  } else {
    b.add(row.blur_sources != nullptr ? update<sequence_blur_update<HorizontalBlurState>> : update<series_blur_update>) =
        {.src = blur_source, .dst = screen, .size = 1};
  }

  place_picture(b.add<CompositorState>(), b.picture(row.design_picture), screen, 0, 0, row.design_opacity, 0);

  if (row.column_smear) {
    b.add(update<edge_smear_update<ColumnSmearState>>).image = screen;
  } else {
    b.add(update<edge_smear_update<RowSmearState>>).image = screen;
  }

  for (Update<CompositorState, SequenceScene> word : {update<word_glide_update<false>>, update<word_glide_update<true>>}) {
    place_picture(b.add(word), b.picture(row.glide_a.picture), screen, 0, 135, 0, 0);
  }

  // Mixer and equipment pictures, added faintly; later pictures keep the
  // first one's rectangle.
  if (row.mixer) place_picture(b.add(update<mixer_cycle_update>), b.picture(216), screen, 0, 0, 63, 1);
  if (row.equipment) place_picture(b.add(update<equipment_switch_update>), b.picture(220), screen, 0, 0, 63, 1);

  b.add_flash(update<beat_list_flash_update>);

  // The eye, drawn once into the back buffer for the blur's back-buffer slots.
  CompositorState once{};
  place_stretched(once, b.picture(eye), b.back_buffer(), 128, 2);
  compositor_render(&once, 0);
}
