// Cue 4: photograph cuts, the sideways smear, captions, overlays, flashes.
#include <gtest/gtest.h>

#include "effects/add_fill.h"
#include "effects/compositor.h"
#include "effects/pixel_ops.h"
#include "effects/smear.h"
#include "show/scenes/traffic_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cue = 32000;

class TrafficTest : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    show().next_cue = 4;
  }
  CompositorState* photo() { return state_at<CompositorState>(0); }
  ColumnSmearState* smear() { return state_at<ColumnSmearState>(1); }
  CompositorState* caption(int order) { return state_at<CompositorState>(order - 1); }
  AddFillState* flash() { return state_at<AddFillState>(10); }
  std::vector<int> caption_opacities() {
    std::vector<int> v;
    for (int order = 3; order <= 10; ++order) v.push_back(caption(order)->opacity);
    return v;
  }
};

TEST_F(TrafficTest, ElevenObjectsAndTheFirstBeat) {
  run(cue);
  std::vector<EffectInitFn> expected(11, compositor_init);
  expected[1] = column_smear_init;
  expected[10] = add_fill_init;
  EXPECT_EQ(list_types(), expected);
  const int32_t pictures[8] = {23, 24, 25, 26, 27, 28, 29, 29};
  const int32_t ys[8] = {154, 154, 267, 267, 181, 243, 36, 234};
  for (int order = 3; order <= 10; ++order) {
    EXPECT_EQ(caption(order)->src, picture(pictures[order - 3]));
    EXPECT_EQ(caption(order)->dst_y, ys[order - 3]);
  }
  EXPECT_EQ(photo()->src, picture(16));
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  EXPECT_EQ(caption_opacities(), std::vector<int>(8, 0));
  run(cue + 62);
  EXPECT_EQ(photo()->src, picture(15));
  EXPECT_EQ(flash()->colour, 0xC1FFFFFFu);
  // The photograph with the flash added on top.
  EXPECT_EQ(screen_pixel(300, 5), saturating_add(pixel(picture(15), 300, 5), scale_rgb(0xFFFFFF, 0xC2)));
}

TEST_F(TrafficTest, FirstStretchedPhase) {
  run(cue + 1999);
  EXPECT_EQ(smear()->span, 0);
  EXPECT_EQ(caption_opacities(), std::vector<int>(8, 0));
  EXPECT_EQ(flash()->colour, 0u);
  run(cue + 2000);
  EXPECT_EQ(photo()->src, picture(15));
  EXPECT_EQ(smear()->column, 153);
  EXPECT_EQ(smear()->span, -153);
  EXPECT_EQ(caption_opacities(), (std::vector<int>{255, 255, 0, 0, 255, 0, 0, 0}));
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  run(cue + 2300);  // flash gone; the left part repeats column col
  const int32_t col = smear()->column;
  for (int32_t x = 0; x < col; x += 7) ASSERT_EQ(screen_pixel(x, 20), screen_pixel(col, 20)) << x;
  EXPECT_NE(screen_pixel(col + 1, 20), screen_pixel(col, 20));
  run(cue + 3016);
  EXPECT_EQ(caption(9)->opacity, 127);
  EXPECT_EQ(caption(10)->opacity, 127);
  run(cue + 3024);
  EXPECT_EQ(caption(9)->opacity, 128);
  run(cue + 3999);
  EXPECT_EQ(caption(10)->opacity, 128);
  EXPECT_EQ(smear()->column, 126);
  const int32_t stills[4] = {3249, 3250, 3500, 3750};
  const int32_t shown[4] = {15, 16, 17, 18};
  for (int i = 0; i < 4; ++i) {
    run(cue + stills[i]);
    EXPECT_EQ(photo()->src, picture(shown[i])) << stills[i];
  }
}

TEST_F(TrafficTest, SecondHalf) {
  run(cue + 4000);
  EXPECT_EQ(photo()->src, picture(20));
  EXPECT_EQ(smear()->span, 0);
  EXPECT_EQ(caption_opacities(), std::vector<int>(8, 0));
  run(cue + 5999);
  EXPECT_EQ(photo()->src, picture(19));
  run(cue + 5811);  // (t - 4000) % 250 = 61
  EXPECT_EQ(photo()->src, picture(20));
  run(cue + 6000);
  EXPECT_EQ(photo()->src, picture(19));
  EXPECT_EQ(smear()->column, 247);
  EXPECT_EQ(smear()->span, 153);
  EXPECT_EQ(caption_opacities(), (std::vector<int>{0, 0, 255, 255, 0, 255, 0, 0}));
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  run(cue + 7999);
  EXPECT_EQ(photo()->src, picture(22));
  EXPECT_EQ(smear()->column, 273);
}

}  // namespace
