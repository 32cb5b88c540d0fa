#include "effects/add_fill.h"
#include "effects/compositor.h"
#include "effects/mask.h"
#include "show/scenes/eye_zoom_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cue = 104000;

class EyeZoomScene : public ShowFixture {
 protected:
  CompositorState* zoom() { return state_at<CompositorState>(0); }
  RowMaskState* shade() { return state_at<RowMaskState>(1); }
  CompositorState* slides() { return state_at<CompositorState>(2); }
  CompositorState* blend() { return state_at<CompositorState>(3); }
  CompositorState* design() { return state_at<CompositorState>(4); }
  CompositorState* word(int i) { return state_at<CompositorState>(5 + i); }
  RowMaskState* interlace() { return state_at<RowMaskState>(11); }
  AddFillState* flash() { return state_at<AddFillState>(12); }
};

TEST_F(EyeZoomScene, FirstFrame) {
  run(cue);
  EXPECT_EQ(list_length(), 13);
  EXPECT_EQ(zoom()->src_w, picture(114)->width);
  EXPECT_EQ(zoom()->src_x, 0);
  EXPECT_EQ(slides()->src, picture(8));
  EXPECT_EQ(slides()->opacity, 255);
  EXPECT_EQ(blend()->opacity, 160);
  EXPECT_EQ(flash()->colour, 0xFFFFFFFFu);
  // The shade profile: black at the top row, full brightness in the middle.
  EXPECT_EQ(shade()->mask[0], 0);
  EXPECT_EQ(shade()->mask[150], 255);
  EXPECT_EQ(shade()->mask[75], 45);  // trunc(sin(pi/4)^5 * 255)
}

TEST_F(EyeZoomScene, SlideShowAndDesignFlicker) {
  run(cue + 125);
  EXPECT_EQ(slides()->src, picture(15));
  EXPECT_EQ(design()->src, picture(212));
  run(cue + 2000);
  EXPECT_EQ(slides()->src, picture(8));
  EXPECT_EQ(slides()->opacity, 255 - 63);
  EXPECT_EQ(design()->src, picture(211));
  // The design pictures keep the first one's rectangle.
  EXPECT_EQ(design()->src_w, picture(211)->width);
}

TEST_F(EyeZoomScene, ZoomNarrowsTheCentredWindow) {
  run(cue + 4000);
  const int32_t w = picture(114)->width, h = picture(114)->height;
  EXPECT_EQ(zoom()->src_w, w / 2);
  EXPECT_EQ(zoom()->src_h, h / 2);
  EXPECT_EQ(zoom()->src_x, (w - w / 2) / 2);
  EXPECT_EQ(zoom()->src_y, (h - h / 2) / 2);
  EXPECT_EQ(blend()->opacity, (95 * 4000) / 8000 + 160);
}

TEST_F(EyeZoomScene, WordsTrembleInTurnFromTheirStarts) {
  run(cue + 5249);
  EXPECT_EQ(word(0)->opacity, 0);
  EXPECT_EQ(word(0)->dst_x, 109);
  ReferenceRand next = show().random_numbers();
  const int dx = next.next() % 5 - 2;
  const int dy = next.next() % 5 - 2;
  run(cue + 5250);
  EXPECT_EQ(word(0)->opacity, 255);
  EXPECT_EQ(word(0)->dst_x, 109 + dx);
  EXPECT_EQ(word(0)->dst_y, 131 + dy);
  EXPECT_EQ(word(1)->opacity, 0);  // "about" starts at 5500
  run(cue + 7000);
  const uint8_t expected[6] = {255, 191, 223, 239, 191, 255};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(word(i)->opacity, expected[i]) << i;
}

TEST_F(EyeZoomScene, InterlacedCloseFromBothEdges) {
  run(cue + 7000);
  const uint8_t* m = interlace()->mask.data();
  for (int32_t i = 0; i < 300; ++i) {
    const bool top = i < 100 && i % 2 == 0;
    const bool bottom = i > 200 && (299 - i) % 2 == 0;
    EXPECT_EQ(m[i], top || bottom ? 0 : 255) << i;
  }
  run(cue + 7999);
  for (int32_t i = 0; i < 300; ++i) EXPECT_EQ(m[i], 0) << i;
}

TEST_F(EyeZoomScene, LongFlashFadesOverTwoSeconds) {
  run(cue + 2039);
  EXPECT_EQ(flash()->colour, 0x01FFFFFFu);
  run(cue + 2040);
  EXPECT_EQ(flash()->colour, 0x00FFFFFFu);
  run(cue + 2048);
  EXPECT_EQ(flash()->colour, 0u);
}

}  // namespace
