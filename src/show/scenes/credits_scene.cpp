#include "show/scenes/credits_scene.h"

#include <cmath>
#include <initializer_list>

#include "show/scenes/scene_helpers.h"

namespace {

enum class Side { left, right };

// Where each pair's picture lands in each 4000 ms block.
struct Credit {
  int32_t picture;
  int32_t row;
  int32_t x;  // X, where both copies meet
};

constexpr Credit credit_blocks[3][4] = {
    {{pic::kode, 135, 115}, {pic::gfx, 135, 165}, {pic::inspiration, 165, 45}, {pic::support, 165, 45}},
    {{pic::musik, 190, 155}, {pic::design, 180, 115}, {pic::vaskel, 125, 170}, {pic::tolmar, 125, 230}},
    {{pic::pelsi, 155, 225}, {pic::pelsi, 155, 225}, {pic::brannik, 185, 230}, {pic::pkt, 185, 150}},
};

// The title pair: "credits" in the first half, "thanks" in the second, each
// copy gliding 70 pixels onto column 170 over two seconds.
template <Side side>
void title_update(CompositorState& s, const Scene& scene, int32_t t) {
  const bool first_half = t <= 7999;
  const int32_t v = first_half ? t : t - 8000;
  set_picture(s, scene.picture(first_half ? pic::credits : pic::thanks));
  if (v <= 1999) {
    const double glide = std::sin(v * pi * 0.5 / 2000.0);
    s.dst_x = side == Side::left ? trunc_i32(glide * 70.0 + 100.0) : trunc_i32(240.0 - glide * 70.0);
  } else {
    s.dst_x = 170;
  }
  s.opacity = static_cast<uint8_t>(trunc_i32(std::sin((t % 8000) * pi / 8000.0) * 63.0));
}

// A credit copy: each pair's copies glide 80 pixels from both sides onto X
// while the opacity swells over the block.
template <int pair, Side side>
void credit_update(CompositorState& s, const Scene& scene, int32_t t) {
  const Credit& credit = credit_blocks[pair][block_of(t)];
  set_picture(s, scene.picture(credit.picture));
  s.dst_y = credit.row;
  const int32_t u = t % 4000;
  s.opacity = static_cast<uint8_t>(trunc_i32(std::sin(u * pi / 4000.0) * 63.0));
  if (u <= 1999) {
    const double glide = std::sin(u * pi * 0.5 / 2000.0);
    s.dst_x =
        side == Side::left ? trunc_i32(glide * 80.0 + (credit.x - 80)) : trunc_i32((credit.x + 80) - glide * 80.0);
  } else {
    s.dst_x = credit.x;
  }
}

void help_blur_update(HorizontalBlurState& s, const Scene& scene, int32_t t) {
  s.size = trunc_i32(std::sin((t + t) * pi / 7000.0) * 49.0 + 50.0);
  s.src = scene.picture(pic::help1 + t / 4000);
}

void credits_blur_update(VerticalBlurState& s, int32_t t) {
  s.size = trunc_i32(std::cos((t + t) * pi / 6500.0) * 49.0 + 50.0);
}

void credits_flash_update(AddFillState& s, int32_t u) {
  while (u > 3999) u -= 4000;
  s.colour = white_flash(255 - u / 8);
}

}  // namespace

void build_credits_scene(SceneBuilder<>& b) {
  Image* screen = b.screen();
  Image* back = b.back_buffer();

  b.add(update<help_blur_update>) = {.src = b.picture(pic::help1), .dst = back, .size = 50};
  b.add(update<credits_blur_update>) = {.src = back, .dst = screen, .size = 50};

  // The title pair, then the three credit pairs, each copy from the left first.
  for (Update<CompositorState> title : {update<title_update<Side::left>>, update<title_update<Side::right>>}) {
    place_picture(b.add(title), b.picture(pic::peaceofmind), screen, 230, 70, 31, blend::alpha);
  }
  for (Update<CompositorState> copy : {update<credit_update<0, Side::left>>, update<credit_update<0, Side::right>>,
                                       update<credit_update<1, Side::left>>, update<credit_update<1, Side::right>>,
                                       update<credit_update<2, Side::left>>, update<credit_update<2, Side::right>>}) {
    place_picture(b.add(copy), b.picture(pic::peaceofmind), screen, 230, 15, 31, blend::alpha);
  }

  b.add_flash(update<credits_flash_update>);
}
