#include <algorithm>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "show/scenes/blurred_sequence_scene.h"
#include "show_fixture.h"

namespace {

constexpr int32_t cues[4] = {112000, 120000, 128000, 136000};

class BlurredSequenceScene : public ShowFixture {
 protected:
  // The scene's blur, horizontal or vertical by cue.
  Image* blur_src() {
    if (auto* h = state_at<HorizontalBlurState>(0)) return h->src;
    return state_at<VerticalBlurState>(0)->src;
  }
  int32_t blur_size() {
    if (auto* h = state_at<HorizontalBlurState>(0)) return h->size;
    return state_at<VerticalBlurState>(0)->size;
  }
  CompositorState* lead() { return state_at<CompositorState>(3); }
  CompositorState* echo() { return state_at<CompositorState>(4); }
  AddFillState* flash() { return state_at<AddFillState>(list_length() - 1); }
};

TEST_F(BlurredSequenceScene, ObjectsOfEachCue) {
  run(cues[0]);
  EXPECT_EQ(list_types(), (std::vector<EffectInitFn>{horizontal_blur_init, compositor_init, row_smear_init,
                                                     compositor_init, compositor_init, add_fill_init}));
  run(cues[1]);
  EXPECT_EQ(list_types(), (std::vector<EffectInitFn>{vertical_blur_init, compositor_init, column_smear_init,
                                                     compositor_init, compositor_init, add_fill_init}));
  run(cues[2]);
  EXPECT_EQ(list_types(), (std::vector<EffectInitFn>{vertical_blur_init, compositor_init, column_smear_init,
                                                     compositor_init, compositor_init, compositor_init,
                                                     add_fill_init}));
  run(cues[3]);
  EXPECT_EQ(list_types(), (std::vector<EffectInitFn>{horizontal_blur_init, compositor_init, row_smear_init,
                                                     compositor_init, compositor_init, compositor_init,
                                                     compositor_init, add_fill_init}));
  EXPECT_EQ(state_at<CompositorState>(1)->src, picture(210));
  EXPECT_EQ(state_at<CompositorState>(1)->opacity, 63);
  EXPECT_EQ(object_at(1)->update, nullptr);
  EXPECT_EQ(state_at<CompositorState>(5)->src, picture(216));
  EXPECT_EQ(state_at<CompositorState>(6)->src, picture(220));
}

TEST_F(BlurredSequenceScene, FirstFrameOfEachCue) {
  const int32_t first_source[4] = {122, 141, 155, 164};
  for (int scene = 0; scene < 4; ++scene) {
    run(cues[scene]);
    EXPECT_EQ(flash()->colour, 0xFFFFFFFFu) << scene;
    EXPECT_EQ(blur_src(), picture(first_source[scene])) << scene;
    EXPECT_EQ(blur_size(), 1) << scene;
  }
}

TEST_F(BlurredSequenceScene, BackBufferSlotShowsTheEye) {
  run(cues[0] + 868);  // slot 14
  EXPECT_EQ(blur_src(), back());
  // The builder drew the eye into the back buffer: with a 400x300 eye that
  // is the one-to-one replace at opacity 128.
  const Image* eye = picture(114);
  ASSERT_EQ(eye->width, 400);
  const uint32_t p = pixel(eye, 10, 20);
  const uint32_t scaled = ((((p & 0xFF00FF) * 129) >> 8) & 0xFF00FF) | ((((p & 0xFF00) * 129) >> 8) & 0xFF00);
  EXPECT_EQ(pixel(back(), 10, 20), 0xFF000000u | scaled);
  run(cues[3] + 868);
  EXPECT_EQ(blur_src(), back());
}

TEST_F(BlurredSequenceScene, BlurRangeFollowsTheSlotTable) {
  run(cues[0] + 744);  // slot 12: range 160
  ReferenceRand next = show().random_numbers();
  const int32_t expected = next.next() % 160 + 1;
  run(cues[0] + 745);
  EXPECT_EQ(blur_size(), expected);
  run(cues[1] + 62 * 46);  // basement slot 46: back buffer
  EXPECT_EQ(blur_src(), back());
  run(cues[1] + 62 * 8);  // stairs slot 8 is 125, basement 144
  EXPECT_EQ(blur_src(), picture(144));
}

TEST_F(BlurredSequenceScene, BeatListFlashes) {
  run(cues[0] + 255);
  EXPECT_EQ(flash()->colour, 0x00FFFFFFu);
  run(cues[0] + 256);
  EXPECT_EQ(flash()->colour, 0u);
  run(cues[0] + 2750);
  EXPECT_EQ(flash()->colour, 0x7FFFFFFFu);
  run(cues[0] + 4130);  // 255 ms after the beat at 3875
  EXPECT_EQ(flash()->colour, 0x00FFFFFFu);
  run(cues[0] + 4131);
  EXPECT_EQ(flash()->colour, 0u);
  EXPECT_EQ(scene_record<SequenceScene>().beat_hit, 5);
}

TEST_F(BlurredSequenceScene, EchoTrailsTheLeadWord) {
  run(cues[0] + 4000);
  EXPECT_EQ(echo()->opacity, 5);
  EXPECT_EQ(echo()->src, picture(136));
  EXPECT_EQ(lead()->opacity, 0);
  EXPECT_EQ(lead()->src, picture(137));
  EXPECT_EQ(lead()->dst_y, 137);
  run(cues[0] + 4061);
  EXPECT_EQ(echo()->opacity, 0);
}

TEST_F(BlurredSequenceScene, GlideRules) {
  run(cues[0] + 1749);
  EXPECT_EQ(lead()->dst_y, 152);
  EXPECT_EQ(lead()->dst_x, 0);  // not moved before the glide
  run(cues[0] + 1750 + 2249);   // near the end: q close to 1
  EXPECT_EQ(lead()->dst_x, 150);
  run(cues[1] + 1750 + 1125);  // cue 19 moves from the left: q = sin(pi/4)
  EXPECT_EQ(lead()->dst_x, 141);
}

TEST_F(BlurredSequenceScene, EdgeSmears) {
  run(cues[0] + 2000);
  auto* rows = state_at<RowSmearState>(2);
  EXPECT_EQ(rows->row, 115);
  EXPECT_EQ(rows->span, -115);
  run(cues[0] + 6000);
  rows = state_at<RowSmearState>(2);
  EXPECT_EQ(rows->row, 185);
  EXPECT_EQ(rows->span, 300 - 185);
  run(cues[1] + 2000);
  auto* columns = state_at<ColumnSmearState>(2);
  EXPECT_EQ(columns->column, 143);
  EXPECT_EQ(columns->span, -143);
  run(cues[1] + 4000);
  columns = state_at<ColumnSmearState>(2);
  EXPECT_EQ(columns->column, 0);
  EXPECT_EQ(columns->span, 0);
  run(cues[3] + 2000);
  rows = state_at<RowSmearState>(2);
  EXPECT_EQ(rows->row, 185);
  EXPECT_EQ(rows->span, 115);
}

TEST_F(BlurredSequenceScene, EquipmentAndMixerSwitch) {
  run(cues[3] + 4000);
  EXPECT_EQ(state_at<CompositorState>(6)->src, picture(222));
  run(cues[3] + 4250);
  EXPECT_EQ(state_at<CompositorState>(6)->src, picture(221));
  EXPECT_EQ(state_at<CompositorState>(6)->src_w, picture(220)->width);
  run(cues[3] + 62 * 7);
  EXPECT_EQ(state_at<CompositorState>(5)->src, picture(219));
}

}  // namespace
