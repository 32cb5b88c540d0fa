// Cues 6-9 and 12-15: one template, eight rows.
#include <gtest/gtest.h>

#include <cstdlib>

#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/smear.h"
#include "image/image_store.h"
#include "show/keyword_photo_scene.h"
#include "show/scenes.h"
#include "show_fixture.h"

namespace {

struct CueCase {
  int cue;  // index into the cue table
  int row;  // index into keyword_photo_rows
};
constexpr CueCase cases[8] = {{6, 0}, {7, 1}, {8, 2}, {9, 3}, {12, 4}, {13, 5}, {14, 6}, {15, 7}};

class KeywordPhotoTest : public ShowFixture {
 protected:
  void start(const CueCase& c, int32_t t) {
    next_cue = c.cue;
    cue_ms = keyword_photo_rows[c.row].cue_ms;
    run(cue_ms + t);
  }
  CompositorState* order(int n) const { return state_at<CompositorState>(n - 1); }
  HorizontalBlurState* blur() const { return state_at<HorizontalBlurState>(1); }
  RowSmearState* smear() const { return state_at<RowSmearState>(9); }
  AddFillState* flash() const { return state_at<AddFillState>(10); }
  std::vector<int> thumbnails() const { return {order(7)->opacity, order(8)->opacity, order(9)->opacity}; }
  int32_t cue_ms = 0;
};

TEST_F(KeywordPhotoTest, EveryCueBuildsItsRow) {
  const int32_t times[8] = {48000, 52000, 56000, 60000, 80000, 84000, 88000, 92000};
  const int32_t photos[8] = {40, 45, 50, 55, 84, 88, 92, 96};
  const int32_t sinking[8] = {30, 30, 30, 30, 29, 29, 29, 30};
  for (int i = 0; i < 8; ++i) {
    const CueCase c = cases[i];
    SCOPED_TRACE(c.cue);
    start(c, 0);
    EXPECT_EQ(cue_ms, times[i]);
    std::vector<EffectInitFn> expected(11, compositor_init);
    expected[1] = horizontal_blur_init;
    expected[9] = row_smear_init;
    expected[10] = add_fill_init;
    EXPECT_EQ(list_types(), expected);
    EXPECT_EQ(order(1)->src, image_store[photos[i]]);
    EXPECT_EQ(order(1)->src_x, 0);
    EXPECT_EQ(order(3)->src, image_store[sinking[i]]);
    EXPECT_EQ(order(4)->src, image_store[30]);
    // Label window: 100 columns in cues 6, 8, 12, 14, the whole picture otherwise.
    const bool narrow = c.cue == 6 || c.cue == 8 || c.cue == 12 || c.cue == 14;
    EXPECT_EQ(order(3)->src_w, narrow ? 100 : image_store[sinking[i]]->width);
    EXPECT_EQ(order(3)->dst_w, order(3)->src_w);
    EXPECT_EQ(order(4)->dst_w, narrow ? 100 : image_store[30]->width);
    // Keyword at the left edge, or flush with the right edge.
    const Image* keyword = image_store[44 + 5 * ((photos[i] == 40 || photos[i] == 84)   ? 0
                                                 : (photos[i] == 45 || photos[i] == 88) ? 1
                                                 : (photos[i] == 50 || photos[i] == 92) ? 2
                                                                                         : 3)];
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
    const bool flash_a = c.cue == 6 || c.cue == 8 || c.cue == 12 || c.cue == 13;
    EXPECT_EQ(flash()->colour, flash_a ? 0x7FFFFFFFu : 0xBFFFFFFFu);
    const bool down = c.cue == 6 || c.cue == 8 || c.cue == 12;
    EXPECT_EQ(smear()->row, down ? 185 : 115);
    EXPECT_EQ(smear()->span, down ? 115 : -115);
  }
}

TEST_F(KeywordPhotoTest, KeywordCopiesGlideToTheirBases) {
  start(cases[0], 0);  // cue 6: +, 115 / 120, D 550
  EXPECT_EQ(order(5)->dst_y, 115 + 68);
  start(cases[4], 0);  // cue 12: +, 45 / 50, D 450
  EXPECT_EQ(order(5)->dst_y, 45 + 125);
  start(cases[1], 0);  // cue 7: -, 165 / 160
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
  start(cases[7], 3000);  // cue 15: base in 230
  EXPECT_EQ(order(6)->dst_y, 230);
  EXPECT_EQ(order(6)->opacity, 255);
}

TEST_F(KeywordPhotoTest, ViewCutSmearAndLabels) {
  start(cases[0], 1999);
  EXPECT_EQ(order(1)->src_x, 0);
  EXPECT_EQ(smear()->row, 294);
  EXPECT_EQ(smear()->span, 6);
  run(cue_ms + 2000);
  EXPECT_EQ(order(1)->src_x, image_store[40]->width - 400);
  EXPECT_EQ(smear()->span, 0);
  run(cue_ms + 3999);
  EXPECT_EQ(order(3)->opacity, 124);
  EXPECT_EQ(order(4)->opacity, 124);
  EXPECT_EQ(order(3)->dst_y, 130 + 31);
  EXPECT_EQ(order(4)->dst_y, 210 - 31);
  EXPECT_EQ(blur()->size, 1);

  start(cases[6], 1999);  // cue 14: up
  EXPECT_EQ(smear()->row, 6);
  EXPECT_EQ(smear()->span, -6);
  start(cases[5], 3999);  // cue 13: sinking label divisor 16
  EXPECT_EQ(order(3)->opacity, 249);
  EXPECT_EQ(order(4)->opacity, 124);
}

TEST_F(KeywordPhotoTest, ThumbnailsPopInTableOrder) {
  const std::vector<int> at3250[8] = {{255, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 0, 255},
                                      {255, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 0, 255}};
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(cases[i].cue);
    start(cases[i], 3249);
    EXPECT_EQ(thumbnails(), (std::vector<int>{0, 0, 0}));
    run(cue_ms + 3250);
    EXPECT_EQ(thumbnails(), at3250[i]);
    run(cue_ms + 3500);
    EXPECT_EQ(order(8)->opacity, 255);
    run(cue_ms + 3750);
    EXPECT_EQ(thumbnails(), (std::vector<int>{255, 255, 255}));
  }
  start(cases[2], 0);  // cue 8: row 259, S1 at 5
  EXPECT_EQ(order(7)->src, image_store[51]);
  EXPECT_EQ(order(7)->dst_x, 5);
  EXPECT_EQ(order(7)->dst_y, 259);
  EXPECT_EQ(order(9)->dst_x, 87);
}

TEST_F(KeywordPhotoTest, BlurDrawsOneRandomNumberPerFrame) {
  std::srand(1);
  const int first = 31 + std::rand() % 63 + 1;
  const int second = 3000 / 128 + std::rand() % (3000 / 64 + 1) + 1;
  std::srand(1);
  start(cases[0], 0);
  EXPECT_EQ(blur()->size, first);
  run(cue_ms + 1000);
  EXPECT_EQ(blur()->size, second);
}

TEST_F(KeywordPhotoTest, SharpFrameAfterTheBlur) {
  // Only cue 6 in the script, so the scene can run past 4000 ms with a plain copy.
  const Cue table[] = {{48000, build_keyword_photo_scene_cue6}, {0, nullptr}};
  run_with(table, 48000 + 4500);
  EXPECT_EQ(blur()->size, 1);
  EXPECT_EQ(flash()->colour, 0u);
  const Image* photo = image_store[40];
  for (int32_t x : {150, 399})
    for (int32_t y : {60, 299})
      EXPECT_EQ(screen_pixel(x, y), (pixel(photo, 800 + x, y) & 0xFEFEFEu) | 0xFF010101u) << x << "," << y;
}

}  // namespace
