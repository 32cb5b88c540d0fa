// Cue 2: the flash, the easing words, the darkening and the random ghost.
#include <gtest/gtest.h>


#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "show/scenes/design_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cue = 16000;

class DesignTest : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    show().next_cue = 2;
  }
  CompositorState* photo() { return state_at<CompositorState>(0); }
  CompositorState* word(int i) { return state_at<CompositorState>(1 + i); }
  CompositorState* ghost() { return state_at<CompositorState>(5); }
  VerticalBlurState* blur() { return state_at<VerticalBlurState>(6); }
  AddFillState* flash() { return state_at<AddFillState>(7); }
};

TEST_F(DesignTest, EightObjectsAndTheWhiteFirstFrame) {
  run(cue);
  const std::vector<EffectInitFn> expected = {compositor_init, compositor_init, compositor_init,
                                              compositor_init, compositor_init, compositor_init,
                                              vertical_blur_init, add_fill_init};
  EXPECT_EQ(list_types(), expected);
  const int32_t pictures[4] = {10, 11, 12, 13};
  const int opacities[4] = {32, 32, 128, 160};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(word(i)->src, picture(pictures[i]));
    EXPECT_EQ(word(i)->opacity, opacities[i]);
  }
  EXPECT_EQ(ghost()->src, picture(8));
  EXPECT_EQ(ghost()->blend, blend::add);
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  EXPECT_EQ(word(0)->dst_y, 300);  // below the bottom edge: draws nothing
  EXPECT_EQ(word(1)->dst_y, 0);
  EXPECT_EQ(word(2)->dst_x, 400);
  EXPECT_EQ(word(3)->dst_x, 400);
  for (int32_t y : {0, 150, 299})
    for (int32_t x : {0, 399}) EXPECT_EQ(screen_pixel(x, y), 0xFFFFFFFFu);
}

TEST_F(DesignTest, WordsRestAndPhotographDrifts) {
  run(cue + 900);
  EXPECT_EQ(photo()->src_x, 10);
  EXPECT_EQ(ghost()->src_x, 10);
  run(cue + 4000);
  EXPECT_EQ(word(0)->dst_y, 175);
  EXPECT_EQ(word(1)->dst_y, 45);
  EXPECT_EQ(word(2)->dst_x, 185);
  EXPECT_EQ(word(3)->dst_x, 340);
  run(cue + 6143);
  EXPECT_EQ(flash()->colour, 0x00FFFFFFu);
  run(cue + 6144);
  EXPECT_EQ(flash()->colour, 0u);
  // No flash strength left: the photograph reaches the screen with only the
  // zero-strength add (each channel's low bit set, alpha 255).
  const Image* factory = picture(8);
  for (int32_t x : {3, 390}) EXPECT_EQ(screen_pixel(x, 2), (pixel(factory, 68 + x, 2) & 0xFEFEFEu) | 0xFF010101u);
  run(cue + 7110);
  EXPECT_EQ(photo()->src_x, 79);
}

TEST_F(DesignTest, DecayAfterSevenSeconds) {
  run(cue + 7000);
  EXPECT_EQ(photo()->opacity, 255);
  EXPECT_EQ(ghost()->opacity, 0);
  EXPECT_EQ(blur()->size, 1);
  run(cue + 7001);
  EXPECT_EQ(photo()->opacity, 255);
  EXPECT_EQ(ghost()->opacity, 16);
  run(cue + 7002);
  EXPECT_EQ(photo()->opacity, 254);
  run(cue + 7499);
  EXPECT_EQ(photo()->opacity, 6);

  // The ghost draws before the blur within a frame.
  ReferenceRand next = show().random_numbers();
  const int row = next.next() % 50;
  const int size = next.next() % (40 / 4 + 1) + 1;
  run(cue + 7040);
  EXPECT_EQ(ghost()->dst_y, row);
  EXPECT_EQ(blur()->size, size);
  run(cue + 6000);  // back before the decay: the ghost keeps its row
  EXPECT_EQ(ghost()->opacity, 0);
  EXPECT_EQ(ghost()->dst_y, row);
}

}  // namespace
