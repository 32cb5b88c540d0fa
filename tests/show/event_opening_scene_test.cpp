// Cue 0: word slides and fades, the band between the lines, and the
// random break-up after 7375 ms.
#include <gtest/gtest.h>


#include "effects/add_fill.h"
#include "effects/blur.h"
#include "effects/compositor.h"
#include "effects/pixel_ops.h"
#include "show/scenes/event_opening_scene.h"
#include "show_fixture.h"

namespace {

class EventOpeningTest : public ShowFixture {
 protected:
  CompositorState* word(int i) { return state_at<CompositorState>(1 + i); }
  AddFillState* fill(int i) { return state_at<AddFillState>(5 + i); }
  VerticalBlurState* blur() { return state_at<VerticalBlurState>(8); }
};

TEST_F(EventOpeningTest, NineObjectsInProcessingOrder) {
  run(0);
  const std::vector<EffectInitFn> expected = {compositor_init, compositor_init, compositor_init,
                                              compositor_init, compositor_init, add_fill_init,
                                              add_fill_init,   add_fill_init,   vertical_blur_init};
  EXPECT_EQ(list_types(), expected);
  // Only the clearing copy is not animated.
  for (int i = 0; i < 9; ++i) EXPECT_EQ(object_at(i)->update == nullptr, i == 0) << "order " << i + 1;

  Image* back_buffer = back();
  const auto* clear = state_at<CompositorState>(0);
  EXPECT_EQ(clear->src, back_buffer);
  EXPECT_EQ(clear->blend, blend::replace);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(word(i)->src, picture(i));
  EXPECT_EQ(fill(2)->colour, 0xFF494335u);
  EXPECT_EQ(blur()->dst, screen());
}

TEST_F(EventOpeningTest, FirstFrameDrawsOnlyLinesAndBand) {
  for (uint32_t& p : screen_buffer) p = 0x12345678;
  run(0);
  const int32_t rest_y[4] = {150, 161, 151, 188};
  const int32_t start_x[4] = {158, 135, 66, 219};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(word(i)->opacity, 0) << i;
    EXPECT_EQ(word(i)->dst_x, start_x[i]) << i;
    EXPECT_EQ(word(i)->dst_y, rest_y[i]) << i;
  }
  EXPECT_EQ(fill(0)->y, 45);
  EXPECT_EQ(fill(1)->y, 240);
  EXPECT_EQ(fill(2)->y, 46);
  EXPECT_EQ(fill(2)->h, 194);
  EXPECT_EQ(blur()->size, 1);
  // Black cleared buffer, plus the saturating adds; copied to the screen.
  const uint32_t line = saturating_add(0, 0xFCF8EC);
  for (int32_t x : {0, 213, 399}) {
    EXPECT_EQ(screen_pixel(x, 44), 0u);
    EXPECT_EQ(screen_pixel(x, 45), line);
    EXPECT_EQ(screen_pixel(x, 46), 0xFF494335u);
    EXPECT_EQ(screen_pixel(x, 239), 0xFF494335u);
    EXPECT_EQ(screen_pixel(x, 240), line);
    EXPECT_EQ(screen_pixel(x, 241), 0u);
  }
}

TEST_F(EventOpeningTest, SlidesAndOpacitySteps) {
  run(500);
  EXPECT_EQ(word(0)->dst_x, 81);
  EXPECT_EQ(word(2)->dst_x, 66);  // the year waits until 500 ms
  EXPECT_EQ(word(3)->dst_x, 219);
  run(2000);
  EXPECT_EQ(word(0)->dst_x, 18);
  run(3499);
  EXPECT_NE(fill(0)->y, 105);
  run(3500);
  EXPECT_EQ(fill(0)->y, 105);
  EXPECT_EQ(fill(1)->y, 180);
  EXPECT_EQ(fill(2)->y, 106);
  EXPECT_EQ(fill(2)->h, 74);
  run(4095);
  EXPECT_EQ(word(0)->opacity, 170);
  EXPECT_EQ(word(1)->opacity, 85);
  EXPECT_EQ(word(0)->dst_x, 8);
  EXPECT_EQ(word(2)->dst_x, 140);
  run(4096);
  EXPECT_EQ(word(0)->opacity, 192);
  EXPECT_EQ(word(1)->opacity, 96);
  run(4595);
  EXPECT_EQ(word(2)->opacity, 127);
  run(4596);
  EXPECT_EQ(word(2)->opacity, 128);
  run(5999);
  EXPECT_NE(word(3)->dst_x, 342);
  run(6000);
  EXPECT_EQ(word(3)->dst_x, 342);
  EXPECT_EQ(word(3)->opacity, 170);
}

TEST_F(EventOpeningTest, BreakUpDrawsJitterThenBlurSize) {
  run(7375);
  EXPECT_EQ(word(0)->dst_y, 150);
  EXPECT_EQ(word(3)->dst_y, 188);
  EXPECT_EQ(blur()->size, 1);

  ReferenceRand next = show().random_numbers();
  const int j = next.next() % 100;
  const int size = next.next() % ((7400 - 7375) / 8 + 1) + 1;
  run(7400);
  EXPECT_EQ(scene_record<OpeningScene>().jitter, j);
  EXPECT_EQ(word(0)->dst_y, 130 + j);
  EXPECT_EQ(word(1)->dst_y, 130 + j);
  EXPECT_EQ(word(2)->dst_y, 130 + j);
  EXPECT_EQ(word(3)->dst_y, 150 + j);
  EXPECT_EQ(blur()->size, size);
}

TEST_F(EventOpeningTest, WordBlendsIntoBackBuffer) {
  run(4000);  // event name at (8, 150), opacity 4000 / 24 = 166
  const Image* name = picture(0);
  const uint32_t k = 167;
  for (int32_t i = 0; i < 8; ++i) {
    const int32_t x = 8 + i * 9, y = 150 + (i * 7) % 20;
    const uint32_t s = pixel(name, x - 8, y - 150);
    const uint32_t a = (((s >> 24) + 1) * k) >> 8;
    uint32_t expected = 0xFF000000u;
    for (int shift : {0, 8, 16}) {
      const uint32_t sc = (s >> shift) & 0xFF;  // over a black background
      expected |= ((sc * a) >> 8) << shift;
    }
    // The band (rows 106..179) is added on top of the word.
    expected = saturating_add(expected, 0x494335);
    EXPECT_EQ(screen_pixel(x, y), expected) << x << "," << y;
  }
}

}  // namespace
