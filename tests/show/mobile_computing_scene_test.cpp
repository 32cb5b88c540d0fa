#include <algorithm>

#include "effects/add_fill.h"
#include "effects/compositor.h"
#include "effects/mask.h"
#include "show/scenes/mobile_computing_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cue = 64000;

class MobileComputingScene : public ShowFixture {
 protected:
  CompositorState* back() { return state_at<CompositorState>(1); }
  CompositorState* front() { return state_at<CompositorState>(2); }
  CompositorState* mobile() { return state_at<CompositorState>(3); }
  CompositorState* computing() { return state_at<CompositorState>(4); }
  CompositorState* white() { return state_at<CompositorState>(5); }
  CompositorState* strip_head() { return state_at<CompositorState>(6); }
  CompositorState* strip_tail() { return state_at<CompositorState>(7); }
  RowMaskState* bands() { return state_at<RowMaskState>(8); }
  AddFillState* flash() { return state_at<AddFillState>(9); }
};

TEST_F(MobileComputingScene, ObjectsInProcessingOrder) {
  run(cue);
  const std::vector<EffectInitFn> expected = {compositor_init, compositor_init, compositor_init, compositor_init,
                                              compositor_init, compositor_init, compositor_init, compositor_init,
                                              row_mask_init,   add_fill_init};
  EXPECT_EQ(list_types(), expected);
  EXPECT_EQ(object_at(0)->update, nullptr);
  EXPECT_EQ(state_at<CompositorState>(0)->src, picture(76));
  EXPECT_EQ(bands()->h, 300);
}

TEST_F(MobileComputingScene, FirstFrame) {
  run(cue);
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  EXPECT_EQ(back()->src, picture(60));
  EXPECT_EQ(back()->opacity, 255);
  EXPECT_EQ(back()->blend, blend::add);
  EXPECT_EQ(front()->opacity, 0);
  EXPECT_EQ(mobile()->opacity, 0);
  EXPECT_EQ(computing()->opacity, 0);
  EXPECT_EQ(white()->opacity, 0);
  EXPECT_EQ(mobile()->dst_y, 231);
  EXPECT_EQ(computing()->dst_y, 70);
  EXPECT_EQ(white()->dst_y, 175 + 39);  // trunc(2.5^4) = 39
  // With r = 0 the strip's tail has no rows and the head shows all but 11.
  EXPECT_EQ(strip_tail()->src_h, 0);
  EXPECT_EQ(strip_head()->src_y, 0);
  EXPECT_EQ(strip_head()->src_h, picture(113)->height - 11);
  // The whole screen is white: the flash added at full strength.
  EXPECT_EQ(screen_pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(screen_pixel(399, 299), 0xFFFFFFFFu);
}

TEST_F(MobileComputingScene, LaptopCrossFadeSteps) {
  run(cue + 1999);
  EXPECT_EQ(back()->src, picture(66));
  EXPECT_EQ(back()->opacity, 3);
  EXPECT_EQ(front()->src, picture(67));
  EXPECT_EQ(front()->opacity, 252);
  run(cue + 2000);
  EXPECT_EQ(back()->src, picture(68));
  EXPECT_EQ(back()->opacity, 255);
  EXPECT_EQ(front()->opacity, 0);
  run(cue + 5999);  // the third fade runs backwards from 75
  EXPECT_EQ(back()->src, picture(69));
  EXPECT_EQ(front()->src, picture(68));
  run(cue + 6000);
  EXPECT_EQ(back()->src, picture(67));
  EXPECT_EQ(front()->src, picture(66));
  // The fading layers keep image 60's rectangle.
  EXPECT_EQ(back()->src_w, picture(60)->width);
  EXPECT_EQ(back()->dst_w, 400);
}

TEST_F(MobileComputingScene, CaptionsSwitchPicturesAtTheHalf) {
  run(cue + 4000);
  EXPECT_EQ(mobile()->src, picture(79));
  EXPECT_EQ(mobile()->dst_x, 30);
  EXPECT_EQ(mobile()->dst_y, 127 + 37);  // trunc((4000 / 1200)^3) = 37
  EXPECT_EQ(mobile()->src_w, picture(79)->width);
  EXPECT_EQ(computing()->src, picture(80));
  EXPECT_EQ(computing()->dst_y, 155 - 125);
  EXPECT_EQ(white()->dst_x, 235);
  run(cue + 6000);  // sine's trough in the second half: opacity -(-224)
  EXPECT_EQ(mobile()->opacity, 224);
  EXPECT_EQ(computing()->opacity, 192);
}

TEST_F(MobileComputingScene, LetterboxBandsKeepTheLastFrameBeforeTwoSeconds) {
  run({cue + 1000, cue + 1960, cue + 2000, cue + 3000});
  const uint8_t* mask = bands()->mask.data();
  EXPECT_EQ(std::count(mask, mask + 300, 127), 2 * 78);
  EXPECT_EQ(mask[77], 127);
  EXPECT_EQ(mask[78], 255);
  EXPECT_EQ(mask[299 - 77], 127);
  EXPECT_EQ(mask[299 - 78], 255);
}

TEST_F(MobileComputingScene, LetterboxBandsReachSeventyNineRows) {
  run({cue + 1975, cue + 2100});
  const uint8_t* mask = bands()->mask.data();
  EXPECT_EQ(std::count(mask, mask + 300, 127), 2 * 79);
}

TEST_F(MobileComputingScene, BeatFlashRepeatsEveryFourSeconds) {
  run(cue + 255);
  EXPECT_EQ(flash()->colour, 0x00FFFFFFu);
  run(cue + 256);
  EXPECT_EQ(flash()->colour, 0u);
  run(cue + 4000);
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  run(cue + 4100);
  EXPECT_EQ(flash()->colour, 0x9BFFFFFFu);
}

TEST_F(MobileComputingScene, StripLoopCutsIntoHeadAndTail) {
  run(cue + 2 * 62 + 1);  // (2t)/125 = 2 -> r = 2
  const int32_t h = picture(113)->height;
  EXPECT_EQ(strip_head()->src_y, 22);
  EXPECT_EQ(strip_head()->src_h, h - 33);
  EXPECT_EQ(strip_tail()->src_h, 22);
  EXPECT_EQ(strip_tail()->src_y, 0);
  EXPECT_EQ(strip_tail()->dst_y, 232 + h - 33);
  run(cue + 4000);  // second half: upper right corner, full strength
  EXPECT_EQ(strip_head()->dst_x, 275);
  EXPECT_EQ(strip_head()->opacity, 191);
}

}  // namespace
