// The last three scenes: panorama, credits and end screen.

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "show/scenes/credits_scene.h"
#include "show/scenes/end_screen_scene.h"
#include "show/scenes/panorama_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t panorama_cue = 144000;
constexpr int32_t credits_cue = 160000;
constexpr int32_t end_cue = 176000;

using PanoramaScene = ShowFixture;
using CreditsScene = ShowFixture;
using EndScreenScene = ShowFixture;

TEST_F(PanoramaScene, FirstFrameIsAPlainCopyUnderWhite) {
  run(panorama_cue);
  EXPECT_EQ(list_length(), 11);
  auto* scroll = state_at<CompositorState>(0);
  EXPECT_EQ(scroll->opacity, 255);
  EXPECT_EQ(scroll->src_x, 0);
  for (int order = 2; order <= 9; ++order) {
    EXPECT_EQ(state_at<CompositorState>(order - 1)->opacity, 0) << order;
  }
  EXPECT_EQ(state_at<VerticalBlurState>(9)->size, 1);
  EXPECT_EQ(state_at<AddFillState>(10)->colour, 0xFFFFFFFFu);
  EXPECT_EQ(screen_pixel(123, 45), 0xFFFFFFFFu);
}

TEST_F(PanoramaScene, LastFrameDarkensAndScrollsToTheEnd) {
  run(panorama_cue + 15999);
  auto* scroll = state_at<CompositorState>(0);
  EXPECT_EQ(scroll->opacity, 0);
  EXPECT_EQ(scroll->src_x, 759);
  EXPECT_EQ(state_at<CompositorState>(1)->src, picture(189));
  EXPECT_EQ(state_at<CompositorState>(1)->opacity, 252);
  EXPECT_EQ(state_at<CompositorState>(2)->src, picture(186));
  EXPECT_EQ(state_at<CompositorState>(2)->opacity, 0);
  EXPECT_EQ(state_at<CompositorState>(3)->opacity, 38);
  EXPECT_EQ(state_at<AddFillState>(10)->colour, 0u);
}

TEST_F(PanoramaScene, ThumbnailsTakeTurnsAtTheEndOfEachBlock) {
  run(panorama_cue + 3400);
  EXPECT_EQ(state_at<CompositorState>(6)->opacity, 255);
  EXPECT_EQ(state_at<CompositorState>(6)->src, picture(173));
  EXPECT_EQ(state_at<CompositorState>(7)->opacity, 0);
  EXPECT_EQ(state_at<CompositorState>(8)->opacity, 0);
  run(panorama_cue + 4000);
  for (int i = 6; i <= 8; ++i) EXPECT_EQ(state_at<CompositorState>(i)->opacity, 0) << i;
  run(panorama_cue + 12000 + 3800);
  auto* third = state_at<CompositorState>(8);
  EXPECT_EQ(third->src, picture(184));
  EXPECT_EQ(third->dst_x, 87);
  EXPECT_EQ(third->dst_y, 5);
  EXPECT_EQ(third->opacity, 255);
  EXPECT_EQ(third->src_w, picture(175)->width);
}

TEST_F(PanoramaScene, CaptionsJitterWithTwoRandomsEachAndBlurGrowsLate) {
  run(panorama_cue + 100);
  ReferenceRand next = show().random_numbers();
  const int r1 = next.next(), r2 = next.next(), r3 = next.next(), r4 = next.next();
  run(panorama_cue + 4000);  // u = 4000: j = trunc(sin(pi/4) * 9) = 6
  EXPECT_EQ(state_at<CompositorState>(4)->dst_x, r1 % 4 - 3 + 240);
  EXPECT_EQ(state_at<CompositorState>(4)->dst_y, r2 % 4 - 3 + 30);
  EXPECT_EQ(state_at<CompositorState>(5)->dst_x, r3 % 4 - 3 + 240);
  EXPECT_EQ(state_at<CompositorState>(5)->dst_y, r4 % 4 - 3 + 30);
  run(panorama_cue + 8000);
  EXPECT_EQ(state_at<CompositorState>(4)->src, picture(191));
  EXPECT_EQ(state_at<CompositorState>(4)->opacity, 0);
  run(panorama_cue + 14000);
  EXPECT_EQ(state_at<VerticalBlurState>(9)->size, 1);
  run(panorama_cue + 14007);
  EXPECT_EQ(state_at<VerticalBlurState>(9)->size, 1);
}

TEST_F(CreditsScene, FirstFrame) {
  run(credits_cue);
  EXPECT_EQ(list_length(), 11);
  EXPECT_EQ(state_at<HorizontalBlurState>(0)->size, 50);
  EXPECT_EQ(state_at<HorizontalBlurState>(0)->src, picture(192));
  EXPECT_EQ(state_at<VerticalBlurState>(1)->size, 99);
  for (int i = 2; i <= 9; ++i) EXPECT_EQ(state_at<CompositorState>(i)->opacity, 0) << i;
  EXPECT_EQ(state_at<CompositorState>(2)->src, picture(196));
  EXPECT_EQ(state_at<CompositorState>(4)->src, picture(197));
  EXPECT_EQ(state_at<CompositorState>(4)->dst_y, 135);
  EXPECT_EQ(state_at<AddFillState>(10)->colour, 0xFFFFFFFFu);
  EXPECT_EQ(screen_pixel(200, 150), 0xFFFFFFFFu);
}

TEST_F(CreditsScene, BlurPulses) {
  run(credits_cue + 1750);
  EXPECT_EQ(state_at<HorizontalBlurState>(0)->size, 99);
  run(credits_cue + 5250);
  EXPECT_EQ(state_at<HorizontalBlurState>(0)->size, 1);
  EXPECT_EQ(state_at<HorizontalBlurState>(0)->src, picture(193));
}

TEST_F(CreditsScene, PairsMeetOnTheirColumn) {
  run(credits_cue + 1999);
  EXPECT_EQ(state_at<CompositorState>(4)->dst_x, 114);  // from the left, one short of 115
  EXPECT_EQ(state_at<CompositorState>(5)->dst_x, 115);
  run(credits_cue + 2000);
  EXPECT_EQ(state_at<CompositorState>(4)->dst_x, 115);
  EXPECT_EQ(state_at<CompositorState>(5)->dst_x, 115);
  EXPECT_EQ(state_at<CompositorState>(4)->opacity, 63);
  run(credits_cue + 4000);  // pair 3 keeps image 201 but slides in again
  auto* left3 = state_at<CompositorState>(8);
  EXPECT_EQ(left3->src, picture(201));
  EXPECT_EQ(left3->dst_x, 225 - 80);
  EXPECT_EQ(state_at<CompositorState>(9)->dst_x, 225 + 80);
  EXPECT_EQ(left3->opacity, 0);
}

TEST_F(CreditsScene, TitleSwitchesToThanksHalfway) {
  run(credits_cue + 8000);
  auto* left = state_at<CompositorState>(2);
  auto* right = state_at<CompositorState>(3);
  EXPECT_EQ(left->src, picture(202));
  EXPECT_EQ(left->dst_x, 100);
  EXPECT_EQ(right->dst_x, 240);
  EXPECT_EQ(left->opacity, 0);
  EXPECT_EQ(left->src_w, picture(202)->width);
  EXPECT_EQ(state_at<AddFillState>(10)->colour, 0xFFFFFFFFu);
}

TEST_F(EndScreenScene, OpensWhiteThenFadesAndMelts) {
  run(end_cue);
  EXPECT_EQ(list_length(), 3);
  for (int32_t y = 0; y < 300; y += 29) {
    for (int32_t x = 0; x < 400; x += 31) EXPECT_EQ(screen_pixel(x, y), 0xFFFFFFFFu);
  }
  run(end_cue + 5999);
  EXPECT_EQ(state_at<CompositorState>(0)->opacity, 191);
  EXPECT_EQ(state_at<RowSmearState>(1)->span, 0);
  run(end_cue + 6000);
  EXPECT_EQ(state_at<CompositorState>(0)->opacity, 191);
  EXPECT_EQ(state_at<RowSmearState>(1)->row, 300);
  EXPECT_EQ(state_at<RowSmearState>(1)->span, 0);
  run(end_cue + 7000);
  EXPECT_EQ(state_at<CompositorState>(0)->opacity, 110);
  EXPECT_EQ(state_at<RowSmearState>(1)->row, 236);
  EXPECT_EQ(state_at<RowSmearState>(1)->span, 64);
  EXPECT_EQ(screen_pixel(17, 299), screen_pixel(17, 236));
  EXPECT_EQ(state_at<AddFillState>(2)->colour, 0u);
}

TEST_F(EndScreenScene, LastCueEndsTheShow) {
  run({end_cue + 7999, 184000});
  EXPECT_EQ(list_length(), 0);
  EXPECT_EQ(show().quit_requested, 1);
}

}  // namespace
