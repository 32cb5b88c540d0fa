#include <algorithm>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/mask.h"
#include "effects/smear.h"
#include "show/scenes/global_coverage_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cue = 72000;

class GlobalCoverageScene : public ShowFixture {
 protected:
  VerticalBlurState* blur() { return state_at<VerticalBlurState>(1); }
  RowSmearState* wipe() { return state_at<RowSmearState>(2); }
  CompositorState* slide() { return state_at<CompositorState>(3); }
  CompositorState* phonebox() { return state_at<CompositorState>(4); }
  ColumnMaskState* borders() { return state_at<ColumnMaskState>(5); }
  AddFillState* left_bar() { return state_at<AddFillState>(6); }
  AddFillState* right_bar() { return state_at<AddFillState>(7); }
};

TEST_F(GlobalCoverageScene, ObjectsInProcessingOrder) {
  run(cue);
  const std::vector<EffectInitFn> expected = {compositor_init, vertical_blur_init, row_smear_init, compositor_init,
                                              compositor_init, column_mask_init,   add_fill_init,  add_fill_init};
  EXPECT_EQ(list_types(), expected);
  EXPECT_EQ(blur()->src, picture(83));
  EXPECT_EQ(blur()->dst, back());
}

TEST_F(GlobalCoverageScene, LightBarsBlinkDuringTheFirstSecond) {
  run(cue);
  EXPECT_EQ(left_bar()->w, 0);
  EXPECT_EQ(right_bar()->w, 0);
  run(cue + 450);
  EXPECT_EQ(left_bar()->h, 0);
  EXPECT_EQ(right_bar()->h, 0);
  run(cue + 500);
  EXPECT_EQ(left_bar()->w, 42);
  EXPECT_EQ(left_bar()->h, 300);
  EXPECT_EQ(right_bar()->w, 42);
  EXPECT_EQ(right_bar()->x, 400 - 42);
  EXPECT_EQ(right_bar()->colour, 0xFFCCCCCCu);
  run(cue + 1000);
  EXPECT_EQ(left_bar()->h, 0);
  EXPECT_EQ(right_bar()->h, 0);
}

TEST_F(GlobalCoverageScene, FinalSecondFadesToWhite) {
  run(cue + 7500);
  EXPECT_EQ(left_bar()->w, 400);
  EXPECT_EQ(left_bar()->h, 300);
  EXPECT_EQ(left_bar()->colour, 0x7FFFFFFFu);  // (500 * 255) / 1000 = 127
  EXPECT_EQ(right_bar()->h, 0);
}

TEST_F(GlobalCoverageScene, BlurShrinksToACopy) {
  run(cue);
  EXPECT_GE(blur()->size, 1);
  EXPECT_LE(blur()->size, 251);
  run(cue + 4000);
  EXPECT_EQ(blur()->size, 1);
  run(cue + 4001);
  EXPECT_EQ(blur()->size, 1);
}

TEST_F(GlobalCoverageScene, BackBufferSlidesUpWhileFadingIn) {
  run(cue + 1000);
  EXPECT_EQ(slide()->opacity, 0);
  EXPECT_EQ(slide()->dst_y, 300);
  run(cue + 1999);
  EXPECT_EQ(slide()->opacity, 254);
  EXPECT_EQ(slide()->dst_y, 0);
  run(cue + 2000);
  EXPECT_EQ(slide()->opacity, 255);
}

TEST_F(GlobalCoverageScene, RowSmearWipesTheBackBufferDownwards) {
  run(cue + 6000);
  EXPECT_EQ(wipe()->span, 0);
  run(cue + 7999);
  EXPECT_EQ(wipe()->row, 299);
  EXPECT_EQ(wipe()->span, -299);
  const Image* back_buffer = back();
  for (int32_t y = 0; y < 299; y += 37) {
    for (int32_t x = 0; x < 400; x += 57) {
      EXPECT_EQ(pixel(back_buffer, x, y), pixel(back_buffer, x, 299)) << x << "," << y;
    }
  }
}

TEST_F(GlobalCoverageScene, PhoneBoxBlinksAfterThreeSeconds) {
  run(cue + 2999);
  EXPECT_EQ(phonebox()->opacity, 0);
  run(cue + 3000);
  EXPECT_EQ(phonebox()->opacity, 128);  // sin(0) = 0 counts as shown
  run(cue + 3000 + 709);                // (709/400)^2 = 3.14...: just past pi
  EXPECT_EQ(phonebox()->opacity, 0);
}

TEST_F(GlobalCoverageScene, SideBordersLeaveALineAfterEachBorder) {
  run({cue + 1500, cue + 1999, cue + 2500});
  const uint8_t* m = borders()->mask.data();
  // At 1999 ms n = 110: bytes 0..109 dimmed, 110 untouched, 111 a bright line.
  EXPECT_EQ(std::count(m, m + 110, 192), 110);
  EXPECT_EQ(m[110], 255);  // byte n is never written: still the builder's 255
  EXPECT_EQ(m[111], 255);
  EXPECT_EQ(m[112], 192);
  EXPECT_EQ(m[113], 192);
  EXPECT_EQ(m[400 - 110 - 2], 255);
  EXPECT_EQ(m[400 - 110 - 3], 192);
  EXPECT_EQ(m[200], 255);
}

}  // namespace
