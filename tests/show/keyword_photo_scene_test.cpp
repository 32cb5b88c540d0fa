// Cues 6-9 and 12-15: one template, eight rows.
#include <gtest/gtest.h>


#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "show/scenes/keyword_photo_scene.h"
#include "show/cue_table.h"
#include "show_fixture.h"

namespace {

// The keyword photo cues, in the order of keyword_photo_rows.
constexpr int cues[8] = {6, 7, 8, 9, 12, 13, 14, 15};

class KeywordPhotoTest : public ShowFixture {
 protected:
  void start(int cue, int32_t t) {
    cue_ms = cue_table[cue].time_ms;
    ShowFixture::start(cue, t);
  }
  CompositorState* order(int n) { return state_at<CompositorState>(n - 1); }
  HorizontalBlurState* blur() { return state_at<HorizontalBlurState>(1); }
  RowSmearState* smear() { return state_at<RowSmearState>(9); }
  AddFillState* flash() { return state_at<AddFillState>(10); }
  std::vector<int> thumbnails() { return {order(7)->opacity, order(8)->opacity, order(9)->opacity}; }
  int32_t cue_ms = 0;
};

TEST_F(KeywordPhotoTest, EveryCueBuildsItsRow) {
  const int32_t times[8] = {48000, 52000, 56000, 60000, 80000, 84000, 88000, 92000};
  const int32_t photos[8] = {40, 45, 50, 55, 84, 88, 92, 96};
  const int32_t sinking[8] = {30, 30, 30, 30, 29, 29, 29, 30};
  for (int i = 0; i < 8; ++i) {
    const int cue = cues[i];
    SCOPED_TRACE(cue);
    start(cue, 0);
    EXPECT_EQ(cue_ms, times[i]);
    std::vector<EffectInitFn> expected(11, compositor_init);
    expected[1] = horizontal_blur_init;
    expected[9] = row_smear_init;
    expected[10] = add_fill_init;
    EXPECT_EQ(list_types(), expected);
    EXPECT_EQ(order(1)->src, picture(photos[i]));
    EXPECT_EQ(order(1)->src_x, 0);
    EXPECT_EQ(order(3)->src, picture(sinking[i]));
    EXPECT_EQ(order(4)->src, picture(30));
    // Label window: 100 columns in cues 6, 8, 12, 14, the whole picture otherwise.
    const bool narrow = cue == 6 || cue == 8 || cue == 12 || cue == 14;
    EXPECT_EQ(order(3)->src_w, narrow ? 100 : picture(sinking[i])->width);
    EXPECT_EQ(order(3)->dst_w, order(3)->src_w);
    EXPECT_EQ(order(4)->dst_w, narrow ? 100 : picture(30)->width);
    // Keyword at the left edge, or flush with the right edge.
    const Image* keyword = picture(44 + 5 * ((photos[i] == 40 || photos[i] == 84)   ? 0
                                                 : (photos[i] == 45 || photos[i] == 88) ? 1
                                                 : (photos[i] == 50 || photos[i] == 92) ? 2
                                                                                         : 3));
    EXPECT_EQ(order(5)->src, keyword);
    EXPECT_EQ(order(6)->dst_x, narrow ? 0 : 400 - keyword->width);
    // First frame: only the fading-out keyword copy is visible.
    EXPECT_EQ(order(5)->opacity, 255);
    EXPECT_EQ(order(6)->opacity, 0);
    EXPECT_EQ(order(3)->opacity, 0);
    EXPECT_EQ(order(4)->opacity, 0);
    EXPECT_EQ(thumbnails(), (std::vector<int>{0, 0, 0}));
    EXPECT_GE(blur()->size, 32);
    EXPECT_LE(blur()->size, 94);
    const bool flash_a = cue == 6 || cue == 8 || cue == 12 || cue == 13;
    EXPECT_EQ(flash()->colour, flash_a ? 0x7FFFFFFFu : 0xBFFFFFFFu);
    const bool down = cue == 6 || cue == 8 || cue == 12;
    EXPECT_EQ(smear()->row, down ? 185 : 115);
    EXPECT_EQ(smear()->span, down ? 115 : -115);
  }
}

TEST_F(KeywordPhotoTest, KeywordCopiesGlideToTheirBases) {
  start(cues[0], 0);  // cue 6: +, 115 / 120, D 550
  EXPECT_EQ(order(5)->dst_y, 115 + 68);
  start(cues[4], 0);  // cue 12: +, 45 / 50, D 450
  EXPECT_EQ(order(5)->dst_y, 45 + 125);
  start(cues[1], 0);  // cue 7: -, 165 / 160
  EXPECT_EQ(order(5)->dst_y, 165 - 68);
  run(cue_ms + 2249);
  EXPECT_EQ(order(5)->opacity, 0);
  EXPECT_EQ(order(5)->dst_y, 165);
  EXPECT_EQ(order(6)->opacity, 198);  // (1749 * 255) / 2250
  run(cue_ms + 2750);
  EXPECT_EQ(order(6)->opacity, 255);
  EXPECT_EQ(order(6)->dst_y, 160);
  run(cue_ms + 499);
  EXPECT_EQ(order(6)->opacity, 255);  // before 500 ms the copy is left alone
  // A scene whose first frame comes after the glide shows the copy at rest.
  start(cues[7], 3000);  // cue 15: base in 230
  EXPECT_EQ(order(6)->dst_y, 230);
  EXPECT_EQ(order(6)->opacity, 255);
}

TEST_F(KeywordPhotoTest, ViewCutSmearAndLabels) {
  start(cues[0], 1999);
  EXPECT_EQ(order(1)->src_x, 0);
  EXPECT_EQ(smear()->row, 294);
  EXPECT_EQ(smear()->span, 6);
  run(cue_ms + 2000);
  EXPECT_EQ(order(1)->src_x, picture(40)->width - 400);
  EXPECT_EQ(smear()->span, 0);
  run(cue_ms + 3999);
  EXPECT_EQ(order(3)->opacity, 124);
  EXPECT_EQ(order(4)->opacity, 124);
  EXPECT_EQ(order(3)->dst_y, 130 + 31);
  EXPECT_EQ(order(4)->dst_y, 210 - 31);
  EXPECT_EQ(blur()->size, 1);

  start(cues[6], 1999);  // cue 14: up
  EXPECT_EQ(smear()->row, 6);
  EXPECT_EQ(smear()->span, -6);
  start(cues[5], 3999);  // cue 13: sinking label divisor 16
  EXPECT_EQ(order(3)->opacity, 249);
  EXPECT_EQ(order(4)->opacity, 124);
}

TEST_F(KeywordPhotoTest, ThumbnailsPopInTableOrder) {
  const std::vector<int> at3250[8] = {{255, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 0, 255},
                                      {255, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 0, 255}};
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(cues[i]);
    start(cues[i], 3249);
    EXPECT_EQ(thumbnails(), (std::vector<int>{0, 0, 0}));
    run(cue_ms + 3250);
    EXPECT_EQ(thumbnails(), at3250[i]);
    run(cue_ms + 3500);
    EXPECT_EQ(order(8)->opacity, 255);
    run(cue_ms + 3750);
    EXPECT_EQ(thumbnails(), (std::vector<int>{255, 255, 255}));
  }
  start(cues[2], 0);  // cue 8: row 259, S1 at 5
  EXPECT_EQ(order(7)->src, picture(51));
  EXPECT_EQ(order(7)->dst_x, 5);
  EXPECT_EQ(order(7)->dst_y, 259);
  EXPECT_EQ(order(9)->dst_x, 87);
}

TEST_F(KeywordPhotoTest, BlurDrawsOneRandomNumberPerFrame) {
  ReferenceRand next = show().random_numbers();
  const int first = 31 + next.next() % 63 + 1;
  const int second = 3000 / 128 + next.next() % (3000 / 64 + 1) + 1;
  start(cues[0], 0);
  EXPECT_EQ(blur()->size, first);
  run(cue_ms + 1000);
  EXPECT_EQ(blur()->size, second);
}

TEST_F(KeywordPhotoTest, SharpFrameAfterTheBlur) {
  // Only cue 6 in the script, so the scene can run past 4000 ms with a plain copy.
  const Cue table[] = {cue_table[6], {0, nullptr, nullptr}};
  run_with(table, 48000 + 4500);
  EXPECT_EQ(blur()->size, 1);
  EXPECT_EQ(flash()->colour, 0u);
  const Image* photo = picture(40);
  for (int32_t x : {150, 399})
    for (int32_t y : {60, 299})
      EXPECT_EQ(screen_pixel(x, y), (pixel(photo, 800 + x, y) & 0xFEFEFEu) | 0xFF010101u) << x << "," << y;
}

}  // namespace
