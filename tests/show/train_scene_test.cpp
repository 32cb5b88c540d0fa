// Cue 5: the train's path, captions, the cascade, smears and the black-out.
#include <gtest/gtest.h>

#include "effects/add_fill.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "show/scenes/train_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cue = 40000;

class TrainTest : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    show().next_cue = 5;
  }
  CompositorState* order(int n) { return state_at<CompositorState>(n - 1); }
  ColumnSmearState* smear() { return state_at<ColumnSmearState>(2); }
  AddFillState* flash() { return state_at<AddFillState>(13); }
  std::vector<int> cascade() { return {order(7)->opacity, order(8)->opacity, order(9)->opacity}; }
};

TEST_F(TrainTest, FourteenObjectsAndTheFirstFrame) {
  run(cue);
  std::vector<EffectInitFn> expected(14, compositor_init);
  expected[2] = column_smear_init;
  expected[13] = add_fill_init;
  EXPECT_EQ(list_types(), expected);
  EXPECT_EQ(object_at(0)->update, nullptr);
  const int32_t pictures[8] = {29, 33, 34, 35, 36, 37, 38, 39};
  for (int n = 4; n <= 11; ++n) {
    EXPECT_EQ(order(n)->src, picture(pictures[n - 4])) << n;
    EXPECT_EQ(order(n)->opacity, 0) << n;
  }
  EXPECT_EQ(order(2)->dst_x, 400);
  EXPECT_EQ(order(12)->blend, blend::add);
  EXPECT_EQ(order(13)->dst_y, 200);
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  EXPECT_EQ(screen_pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(screen_pixel(399, 299), 0xFFFFFFFFu);
}

TEST_F(TrainTest, TrainPositionSteps) {
  const struct {
    int32_t t, x;
  } steps[] = {{1999, 151}, {2000, 150}, {3999, 150}, {4000, 50}, {4407, 0},
               {4408, -1},  {5999, -199}, {6000, 0},  {7999, 0}};
  for (const auto& step : steps) {
    run(cue + step.t);
    EXPECT_EQ(order(2)->dst_x, step.x) << "t " << step.t;
  }
}

TEST_F(TrainTest, CaptionsAndCascade) {
  run(cue + 1999);
  EXPECT_EQ(order(4)->opacity, 249);
  EXPECT_EQ(order(5)->opacity, 124);
  EXPECT_EQ(order(6)->opacity, 249);
  run(cue + 2000);
  EXPECT_EQ(order(4)->opacity, 0);
  EXPECT_EQ(order(5)->opacity, 0);
  run(cue + 3249);
  EXPECT_EQ(cascade(), (std::vector<int>{0, 0, 0}));
  run(cue + 3250);
  EXPECT_EQ(cascade(), (std::vector<int>{255, 0, 0}));
  run(cue + 3500);
  EXPECT_EQ(cascade(), (std::vector<int>{255, 255, 0}));
  run(cue + 3750);
  EXPECT_EQ(cascade(), (std::vector<int>{255, 255, 255}));
  run(cue + 4000);
  EXPECT_EQ(cascade(), (std::vector<int>{0, 0, 0}));
  run(cue + 5999);
  EXPECT_EQ(order(10)->opacity, 0);
  run(cue + 7999);
  EXPECT_EQ(order(10)->opacity, 249);
  EXPECT_EQ(order(11)->opacity, 249);
}

TEST_F(TrainTest, SmearsAndFlash) {
  run(cue + 3999);
  EXPECT_EQ(smear()->span, 0);
  run(cue + 4000);
  EXPECT_EQ(smear()->column, 300);
  EXPECT_EQ(smear()->span, 100);
  run(cue + 5999);
  EXPECT_EQ(smear()->column, 193);
  EXPECT_EQ(smear()->span, 207);
  run(cue + 6000);
  EXPECT_EQ(smear()->column, 153);
  EXPECT_EQ(smear()->span, -153);
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  run(cue + 6511);
  EXPECT_EQ(flash()->colour, 0x00FFFFFFu);
  run(cue + 6512);
  EXPECT_EQ(flash()->colour, 0u);
}

TEST_F(TrainTest, BlackOutInThreeSteps) {
  // Cleared rows come out 0xFF010101 after the zero-strength flash.
  const uint32_t black = 0xFF010101u;
  auto black_rows = [&](int32_t y) { return screen_pixel(390, y) == black && screen_pixel(200, y) == black; };
  run(cue + 7249);
  EXPECT_FALSE(black_rows(50));
  EXPECT_FALSE(black_rows(250));
  run(cue + 7250);
  EXPECT_TRUE(black_rows(0));
  EXPECT_TRUE(black_rows(99));
  EXPECT_FALSE(black_rows(100));
  EXPECT_FALSE(black_rows(250));
  run(cue + 7500);
  EXPECT_TRUE(black_rows(99));
  EXPECT_FALSE(black_rows(150));
  EXPECT_TRUE(black_rows(200));
  EXPECT_TRUE(black_rows(299));
  run(cue + 7750);
  EXPECT_TRUE(black_rows(150));
  EXPECT_TRUE(black_rows(199));
}

}  // namespace
