#include "show/scenes/blurred_sequence_scene.h"

#include <cmath>

#include "show/scenes/scene_helpers.h"

namespace {

// The tables below name the pictures they show.
using namespace pic;

constexpr int32_t slot_ms = 62;
// In the blur source tables the eye's index stands for the back buffer,
// which the builders fill with the eye picture.
constexpr int32_t back_buffer_marker = eye;

constexpr int32_t stairs_sources[128] = {
    stairs2,  stairs1,  stairs2,  stairs1,  stairs1,  stairs1, stairs2,  stairs1,  //
    stairs5,  stairs4,  stairs3,  stairs2,  stairs2,  stairs2, eye,      stairs2,  //
    stairs2,  stairs2,  stairs2,  stairs2,  stairs3,  stairs2, stairs3,  stairs2,  //
    stairs6,  stairs5,  stairs4,  stairs3,  stairs3,  stairs3, stairs3,  stairs3,  //
    stairs4,  stairs3,  stairs4,  stairs3,  stairs3,  stairs3, stairs3,  stairs3,  //
    stairs7,  stairs6,  stairs5,  stairs4,  stairs5,  stairs4, eye,      stairs4,  //
    stairs4,  stairs4,  stairs4,  stairs4,  stairs5,  stairs4, stairs5,  stairs4,  //
    stairs8,  stairs7,  stairs6,  stairs5,  stairs5,  stairs5, stairs9,  stairs6,  //
    stairs7,  stairs6,  stairs7,  stairs6,  stairs6,  stairs6, stairs7,  stairs6,  //
    stairs10, stairs9,  stairs8,  stairs7,  stairs7,  stairs7, eye,      stairs7,  //
    stairs7,  stairs7,  stairs7,  stairs7,  stairs8,  stairs7, stairs8,  stairs7,  //
    stairs11, stairs10, stairs9,  stairs8,  stairs8,  stairs8, stairs8,  stairs8,  //
    stairs9,  stairs8,  stairs9,  stairs8,  stairs8,  stairs8, stairs9,  stairs8,  //
    stairs12, stairs11, stairs10, stairs9,  stairs10, stairs9, eye,      stairs9,  //
    stairs9,  stairs9,  stairs9,  stairs9,  stairs10, stairs9, stairs10, stairs9,  //
    stairs13, stairs12, stairs11, stairs10, stairs9,  stairs8, stairs7,  stairs6,  //
};

// The basement sequence follows the stairs table 19 pictures further on;
// the back-buffer slots stay where they are.
struct BasementSources {
  int32_t entries[128];
  constexpr BasementSources() : entries{} {
    constexpr int32_t shift = pic::basement1 - pic::stairs1;
    for (int i = 0; i < 128; ++i) {
      entries[i] = stairs_sources[i] == back_buffer_marker ? back_buffer_marker : stairs_sources[i] + shift;
    }
  }
};
constexpr BasementSources basement_sources{};

constexpr int32_t elevator_pattern[32] = {
    elevator1, elevator1, elevator2, elevator2, elevator2, elevator2, elevator2, elevator2,  //
    elevator3, elevator3, elevator4, elevator4, elevator5, elevator5, eye,       elevator5,  //
    elevator5, elevator5, elevator5, elevator5, elevator6, elevator6, elevator7, elevator7,  //
    elevator8, elevator8, elevator9, elevator8, elevator7, elevator6, elevator4, elevator2,  //
};

struct ElevatorSources {
  int32_t entries[128];
  constexpr ElevatorSources() : entries{} {
    for (int i = 0; i < 128; ++i) entries[i] = elevator_pattern[i % 32];
  }
};
constexpr ElevatorSources elevator_sources{};

// Blur range per slot: a 64-slot pattern played twice.
constexpr int32_t range_pattern[64] = {
    1,  1,  1,   1,   1,   1,   1,   1,   1,   1,   1,  1,  160, 120, 160, 120,  //
    80, 40, 160, 120, 80,  40,  160, 120, 80,  40,  1,  1,  1,   1,   1,   1,    //
    1,  1,  1,   1,   1,   1,   1,   1,   1,   1,   1,  1,  1,   1,   1,   1,    //
    1,  1,  1,   1,   160, 120, 80,  40,  160, 120, 80, 40, 160, 120, 80,  40,
};

constexpr int32_t beat_list[12] = {0, 2750, 3000, 3375, 3625, 3875, 6750, 7000, 7375, 7625, 7875, 12000};

constexpr int32_t mixer_table[32] = {
    mixer1, mixer2, mixer1, mixer2, mixer1, mixer2, mixer3, mixer4,  //
    mixer1, mixer2, mixer3, mixer4, mixer1, mixer2, mixer3, mixer4,  //
    mixer4, mixer4, mixer1, mixer2, mixer1, mixer2, mixer1, mixer2,  //
    mixer1, mixer2, mixer1, mixer2, mixer3, mixer4, mixer4, mixer4,  //
};

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

const SequenceRow stairs_sequence = {
    .blur_sources = stairs_sources,
    .first_blur_picture = pic::stairs1,
    .vertical_blur = false,
    .design_picture = pic::design3,
    .design_opacity = 31,
    .column_smear = false,
    .phase_a = {50.0, 65.0, true, false},
    .phase_b = {250.0, 65.0, false, true},
    .glide_a = {pic::fear, 152, true, 250.0},
    .glide_b = {pic::insecurity, 137, true, 200.0},
    .mixer = false,
    .equipment = false,
};
const SequenceRow basement_sequence = {
    .blur_sources = basement_sources.entries,
    .first_blur_picture = pic::basement1,
    .vertical_blur = true,
    .design_picture = pic::design4,
    .design_opacity = 63,
    .column_smear = true,
    .phase_a = {90.0, 53.0, true, false},
    .phase_b = {300.0, 53.0, false, true},
    .glide_a = {pic::loneliness, 120, false, 200.0},
    .glide_b = {pic::insanity, 200, false, 100.0},
    .mixer = false,
    .equipment = false,
};
const SequenceRow elevator_sequence = {
    .blur_sources = elevator_sources.entries,
    .first_blur_picture = pic::elevator1,
    .vertical_blur = true,
    .design_picture = pic::design3,
    .design_opacity = 15,
    .column_smear = true,
    .phase_a = {100.0, 53.0, true, false},
    .phase_b = {300.0, 53.0, false, true},
    .glide_a = {pic::fear, 190, false, 220.0},
    .glide_b = {pic::insecurity, 152, true, 250.0},
    .mixer = true,
    .equipment = false,
};
const SequenceRow photo_series_sequence = {
    .blur_sources = nullptr,
    .first_blur_picture = pic::stairs1,
    .vertical_blur = false,
    .design_picture = pic::design4,
    .design_opacity = 63,
    .column_smear = false,
    .phase_a = {250.0, 65.0, false, true},
    .phase_b = {50.0, 65.0, true, false},
    .glide_a = {pic::loneliness, 200, false, 100.0},
    .glide_b = {pic::insanity, 120, true, 250.0},
    .mixer = true,
    .equipment = true,
};

namespace {

int32_t slot_of(int32_t t) { return (t / slot_ms) % 128; }

Image* sequence_image(const Scene& scene, int32_t index) {
  return index == back_buffer_marker ? scene.back_buffer() : scene.picture(index);
}

// Blur size: random on the runs of the range table, 1 (a plain copy) elsewhere.
int32_t random_blur_size(const Scene& scene, int32_t slot) { return scene.random() % range_pattern[slot % 64] + 1; }

void apply_smear_rule(int32_t* position, int32_t* span, int32_t extent, const SmearRule& rule, double e) {
  const int32_t p = rule.rising ? trunc_i32(e * rule.scale + rule.base) : trunc_i32(rule.base - e * rule.scale);
  *position = p;
  *span = rule.to_end ? extent - p : -p;
}

void rest_word(CompositorState& s, const Scene& scene, const GlideRule& rule) {
  s.opacity = 0;
  set_picture(s, scene.picture(rule.picture));
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
  s.size = random_blur_size(scene, k);
}

void series_blur_update(HorizontalBlurState& s, const SequenceScene& scene, int32_t t) {
  const int32_t k = slot_of(t);
  const int32_t j = k % 32;
  s.src = j == 14 ? scene.back_buffer() : scene.picture(pic::pelsi1 + j / 4);
  s.size = random_blur_size(scene, k);
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
  int32_t index = pic::eps;
  if (t >= 4000) index = t % 500 <= 249 ? pic::x52 : pic::x51;
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
    b.add(row.blur_sources != nullptr ? update<sequence_blur_update<HorizontalBlurState>>
                                      : update<series_blur_update>) = {.src = blur_source, .dst = screen, .size = 1};
  }

  place_picture(b.add<CompositorState>(), b.picture(row.design_picture), screen, 0, 0, row.design_opacity,
                blend::alpha);

  if (row.column_smear) {
    b.add(update<edge_smear_update<ColumnSmearState>>).image = screen;
  } else {
    b.add(update<edge_smear_update<RowSmearState>>).image = screen;
  }

  for (Update<CompositorState, SequenceScene> word :
       {update<word_glide_update<false>>, update<word_glide_update<true>>}) {
    place_picture(b.add(word), b.picture(row.glide_a.picture), screen, 0, 135, 0, blend::alpha);
  }

  // Mixer and equipment pictures, added faintly; later pictures keep the
  // first one's rectangle.
  if (row.mixer) place_picture(b.add(update<mixer_cycle_update>), b.picture(pic::mixer1), screen, 0, 0, 63, blend::add);
  if (row.equipment)
    place_picture(b.add(update<equipment_switch_update>), b.picture(pic::eps), screen, 0, 0, 63, blend::add);

  b.add_flash(update<beat_list_flash_update>);

  // The eye, drawn once into the back buffer for the blur's back-buffer slots.
  CompositorState once{};
  place_stretched(once, b.picture(pic::eye), b.back_buffer(), 128, blend::replace);
  compositor_render(once, 0);
}
