// Cue 3: blink, zoom, the bar and the title's growth and opacity schedule.
#include <gtest/gtest.h>

#include "effects/compositor.h"
#include "show/scenes/title_card_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cue = 23500;

class TitleCardTest : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    show().next_cue = 3;
  }
  CompositorState* backdrop() { return state_at<CompositorState>(0); }
  CompositorState* zoom() { return state_at<CompositorState>(1); }
  CompositorState* bar() { return state_at<CompositorState>(2); }
  CompositorState* title() { return state_at<CompositorState>(3); }
};

TEST_F(TitleCardTest, BlinkingPictureAndSingleTitlePixel) {
  run(cue);
  const std::vector<EffectInitFn> expected(4, compositor_init);
  EXPECT_EQ(list_types(), expected);
  EXPECT_EQ(zoom()->smooth, 1);
  EXPECT_EQ(title()->src_w, picture(14)->width);
  EXPECT_EQ(title()->dst_w, 1);
  const Image* picture9 = picture(9);
  const Image* back_buffer = back();
  EXPECT_EQ(pixel(back_buffer, 17, 33), pixel(picture9, 17, 33));
  EXPECT_EQ(screen_pixel(17, 33), pixel(picture9, 17, 33));
  EXPECT_EQ(screen_pixel(200, 150), pixel(picture9, 200, 150));  // the bar draws nothing yet
  EXPECT_EQ(screen_pixel(189, 144), pixel(picture(14), 0, 0));
  EXPECT_EQ(screen_pixel(190, 144), pixel(picture9, 190, 144));

  run(cue + 50);
  EXPECT_EQ(pixel(back_buffer, 17, 33), 0u);
  EXPECT_EQ(screen_pixel(17, 33), 0u);
  EXPECT_EQ(screen_pixel(189, 144), pixel(picture(14), 0, 0));
  run(cue + 100);
  EXPECT_EQ(screen_pixel(17, 33), pixel(picture9, 17, 33));
  run(cue + 549);
  EXPECT_EQ(backdrop()->opacity, 255);
}

TEST_F(TitleCardTest, ZoomBarAndGrowth) {
  run(cue + 501);
  EXPECT_EQ(bar()->dst_w, 0);  // zero-sized: draws nothing
  EXPECT_EQ(bar()->blend, blend::replace);
  run(cue + 949);
  EXPECT_EQ(zoom()->src_w, 40);
  EXPECT_EQ(zoom()->src_h, 30);
  EXPECT_EQ(zoom()->src_x, 180);
  EXPECT_EQ(zoom()->src_y, 135);
  EXPECT_EQ(zoom()->opacity, 255);
  run(cue + 750);
  EXPECT_EQ(title()->dst_w, picture(14)->width / 2);
  EXPECT_EQ(title()->dst_x, 200 - picture(14)->width / 4);
  run(cue + 950);
  EXPECT_EQ(zoom()->opacity, 0);
  const uint32_t frozen = screen_pixel(5, 5);

  run(cue + 1000);
  EXPECT_EQ(bar()->dst_x, 100);
  EXPECT_EQ(bar()->dst_y, 130);
  EXPECT_EQ(bar()->dst_w, 200);
  EXPECT_EQ(bar()->dst_h, 40);
  const Image* word = picture(14);
  EXPECT_EQ(title()->dst_w, word->width);
  EXPECT_EQ(title()->dst_h, word->height);
  EXPECT_EQ(title()->dst_x, 200 - word->width / 2);
  EXPECT_EQ(title()->dst_y, (300 - word->height) / 2);
  EXPECT_EQ(title()->opacity, 250);
  EXPECT_EQ(screen_pixel(5, 5), frozen);  // outside the bar nothing repaints
  EXPECT_EQ(screen_pixel(100, 130), 0u);
  EXPECT_EQ(screen_pixel(299, 169), 0u);
  // Replace at opacity 250 scales by the source's alpha and writes alpha 255.
  const uint32_t s = pixel(word, 3, 4);
  const uint32_t a = (((s >> 24) + 1) * 251) >> 8;
  uint32_t expected = 0xFF000000u;
  for (int shift : {0, 8, 16}) expected |= ((((s >> shift) & 0xFF) * a) >> 8) << shift;
  EXPECT_EQ(screen_pixel(200 - word->width / 2 + 3, (300 - word->height) / 2 + 4), expected);
}

TEST_F(TitleCardTest, OpacitySchedule) {
  const struct {
    int32_t t;
    int opacity;
  } steps[] = {{1249, 1},    {1250, 0},    {1499, 249},  {1500, 255}, {2686, 255}, {2749, 255},
               {2750, 0},    {4749, 255},  {4750, 255},  {4850, 255}, {6999, 255}, {7000, 250},
               {8499, 62}};
  for (const auto& step : steps) {
    run(cue + step.t);
    EXPECT_EQ(title()->opacity, step.opacity) << "t " << step.t;
  }
}

}  // namespace
