#include <algorithm>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/mask.h"
#include "show/scenes/fuel_window_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cue = 96000;

class FuelWindowScene : public ShowFixture {
 protected:
  HorizontalBlurState* blur() { return state_at<HorizontalBlurState>(0); }
  ColumnMaskState* mask() { return state_at<ColumnMaskState>(1); }
  CompositorState* window() { return state_at<CompositorState>(2); }
  CompositorState* word(int order) { return state_at<CompositorState>(order - 1); }
  AddFillState* right_line() { return state_at<AddFillState>(9); }
  AddFillState* left_line() { return state_at<AddFillState>(10); }
  AddFillState* flash() { return state_at<AddFillState>(11); }
};

TEST(FuelWindowPositions, GlideBetweenStops) {
  EXPECT_EQ(fuel_window_left(0), 0);
  EXPECT_EQ(fuel_window_right_line(0), 133);
  EXPECT_EQ(fuel_window_left(2249), 131);  // the easing ends one column short
  EXPECT_EQ(fuel_window_left(2250), 133);
  EXPECT_EQ(fuel_window_left(4250), 267);
  EXPECT_EQ(fuel_window_right_line(4250), 399);
  EXPECT_EQ(fuel_window_left(5250), 266);
  EXPECT_EQ(fuel_window_left(7250), 132);
}

TEST_F(FuelWindowScene, FirstFrame) {
  run(cue);
  const std::vector<EffectInitFn> expected = {
      horizontal_blur_init, column_mask_init, compositor_init, compositor_init, compositor_init, compositor_init,
      compositor_init,      compositor_init,  compositor_init, add_fill_init,   add_fill_init,   add_fill_init};
  EXPECT_EQ(list_types(), expected);
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  EXPECT_EQ(blur()->size, 0);
  EXPECT_EQ(blur()->src, picture(100));
  EXPECT_EQ(window()->src_x, 0);
  EXPECT_EQ(window()->dst_x, 0);
  EXPECT_EQ(right_line()->x, 133);
  EXPECT_EQ(left_line()->x, 0);
  for (int order = 4; order <= 7; ++order) EXPECT_EQ(word(order)->opacity, 0) << order;
  const uint8_t* m = mask()->mask.data();
  EXPECT_EQ(std::count(m, m + 133, 0), 133);
  EXPECT_EQ(std::count(m + 133, m + 400, 160), 267);
}

TEST_F(FuelWindowScene, BlurSourceFlickersBetweenNeighbours) {
  run(cue + 61);
  EXPECT_EQ(blur()->src, picture(100));
  run(cue + 62);
  EXPECT_EQ(blur()->src, picture(101));
  run(cue + 125);
  EXPECT_EQ(blur()->src, picture(100));
  run(cue + 7999);
  EXPECT_EQ(blur()->src, picture(108));
  run(cue + 500);  // the first pulse's peak: |sin(pi/2)| * 18.75^2
  EXPECT_EQ(blur()->size, 351);
}

TEST_F(FuelWindowScene, WindowAtTheRightStop) {
  run(cue + 4600);
  EXPECT_EQ(window()->dst_x, 267);
  EXPECT_EQ(right_line()->x, 399);
  const uint8_t* m = mask()->mask.data();
  EXPECT_EQ(std::count(m, m + 267, 160), 267);
  EXPECT_EQ(std::count(m + 267, m + 400, 0), 133);
}

TEST_F(FuelWindowScene, EarlyWordsStopWhileLateWordsFade) {
  run(cue + 3000);
  EXPECT_EQ(word(5)->opacity, 89);  // word_a_early at its peak: trunc(sin(3pi/4) * 127)
  run(cue + 3500);
  EXPECT_EQ(word(5)->opacity, 0);
  EXPECT_EQ(word(7)->opacity, 0);  // word_b_early
  EXPECT_GT(word(4)->opacity, 0);  // word_a_late
  EXPECT_GT(word(6)->opacity, 0);  // word_b_late
  // Late word a at u = 3500: v = 1500 pi; 120 + sin(3pi/8) * -100.
  EXPECT_EQ(word(4)->dst_x, 27);
  EXPECT_EQ(word(4)->opacity, 89);  // trunc(sin(3pi/4) * 127)
}

TEST_F(FuelWindowScene, SecondHalfWordsUseOtherPictures) {
  run(cue + 4000 + 2500);
  EXPECT_EQ(word(5)->src, picture(111));
  EXPECT_EQ(word(5)->dst_y, 190);
  EXPECT_EQ(word(7)->src, picture(112));
  EXPECT_EQ(word(7)->dst_y, 210);
  EXPECT_EQ(word(7)->src_w, picture(112)->width);
}

TEST_F(FuelWindowScene, StripLoopAndFlash) {
  run(cue + 4000 + 6 * 62 + 3);  // (2t)/125 = 70 -> r = 0
  const int32_t h = picture(113)->height;
  EXPECT_EQ(state_at<CompositorState>(8)->src_h, 0);  // tail
  EXPECT_EQ(state_at<CompositorState>(7)->src_h, h);  // head
  EXPECT_EQ(state_at<CompositorState>(7)->dst_x, 275);
  EXPECT_EQ(flash()->colour, 0x44FFFFFFu);  // 255 - 375 / 2
  run(cue + 4000 + 512);
  EXPECT_EQ(flash()->colour, 0u);
  run(cue + 4000 + 100);
  EXPECT_EQ(flash()->colour, 0xCDFFFFFFu);  // 255 - 50
}

}  // namespace
