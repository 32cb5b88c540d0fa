// Cue 1: the pan and fade, the closing frame, the flicker and the blur.
#include <gtest/gtest.h>


#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/mask.h"
#include "effects/pixel_ops.h"
#include "show/scenes/presents_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cue = 8000;

class PresentsTest : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    show().next_cue = 1;
  }
  CompositorState* photo() { return state_at<CompositorState>(0); }
  ColumnMaskState* frame() { return state_at<ColumnMaskState>(1); }
  CompositorState* word(int i) { return state_at<CompositorState>(2 + i); }
  CompositorState* symbol() { return state_at<CompositorState>(5); }
  HorizontalBlurState* blur() { return state_at<HorizontalBlurState>(6); }
};

TEST_F(PresentsTest, SevenObjectsAndFirstFrame) {
  for (uint32_t& p : screen_buffer) p = 0x55555555;
  run(cue);
  const std::vector<EffectInitFn> expected = {compositor_init, column_mask_init, compositor_init, compositor_init,
                                              compositor_init, compositor_init,  horizontal_blur_init};
  EXPECT_EQ(list_types(), expected);
  EXPECT_EQ(photo()->src, picture(4));
  EXPECT_EQ(photo()->blend, blend::replace);
  EXPECT_EQ(photo()->src_x, 139);
  EXPECT_EQ(frame()->w, 400);
  EXPECT_EQ(frame()->h, 300);
  for (int32_t i = 0; i < 400; ++i) ASSERT_EQ(frame()->mask[i], 255) << i;
  const int32_t pictures[4] = {5, 6, 7, 215};
  const int32_t xs[4] = {180, 205, 265, 8};
  const int32_t ys[4] = {84, 78, 103, 237};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(word(i)->src, picture(pictures[i]));
    EXPECT_EQ(word(i)->dst_x, xs[i]);
    EXPECT_EQ(word(i)->dst_y, ys[i]);
    EXPECT_EQ(word(i)->opacity, 0);
  }
  EXPECT_EQ(blur()->size, 1);
  // Opacity 0 with replace clears: the screen is black and transparent.
  for (int32_t y : {0, 100, 299})
    for (int32_t x : {0, 200, 399}) EXPECT_EQ(screen_pixel(x, y), 0u);
}

TEST_F(PresentsTest, FrameClosesFromBothSides) {
  run(cue + 1000);  // L = 0, R = 400
  for (int32_t i = 0; i < 400; ++i) {
    const bool dim = i == 1 || i == 2 || i == 397 || i == 398;
    ASSERT_EQ(frame()->mask[i], dim ? 192 : 255) << i;
  }
  run(cue + 3999);  // L = 154, R = 360
  for (int32_t i = 0; i < 400; ++i) {
    const bool open = i == 154 || (i >= 157 && i <= 356) || i == 359;
    ASSERT_EQ(frame()->mask[i], open ? 255 : 192) << i;
  }
  const MaskBytes closed = frame()->mask;
  run(cue + 6000);
  EXPECT_EQ(frame()->mask, closed);

  // t = 6000: opacity 187 everywhere; a dimmed and an open column.
  const Image* ship = picture(4);
  EXPECT_EQ(photo()->src_x, 33);  // trunc(cos(6000 / 2816.0) * 69 + 70)
  for (int32_t x : {10, 200}) {
    const uint32_t s = pixel(ship, 33 + x, 40);
    uint32_t expected = scale_rgb(s, 188) | 0xFF000000u;
    if (x == 10) expected = scale_rgb(expected, 193) | 0xFF000000u;
    EXPECT_EQ(screen_pixel(x, 40), expected) << x;
  }
}

TEST_F(PresentsTest, FlickerAndFade) {
  const struct {
    int32_t t;
    int opacity;
  } steps[] = {{1063, 33}, {1064, 0},    {1503, 0},    {1504, 47},   {1841, 57},  {1842, 0},
               {2126, 0},  {4001, 125}, {6000, 187}, {6001, 187}, {6016, 186}, {7999, 63}};
  for (const auto& step : steps) {
    run(cue + step.t);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(word(i)->opacity, step.opacity) << "t " << step.t;
  }
  run(cue + 1064);
  EXPECT_EQ(symbol()->opacity, 33);  // the symbol does not flicker
  EXPECT_EQ(photo()->opacity, 33);
  run(cue + 7999);
  EXPECT_EQ(photo()->src_x, 4);
  EXPECT_EQ(symbol()->opacity, 63);
}

TEST_F(PresentsTest, BlurTurnsRandomAfterSixSeconds) {
  run(cue + 6000);
  EXPECT_EQ(blur()->size, 1);
  ReferenceRand next = show().random_numbers();
  const int size = next.next() % 2 + 1;
  run(cue + 6064);
  EXPECT_EQ(blur()->size, size);
}

}  // namespace
