// The Compositor's rules on small hand-made pictures: object contract,
// opacity extremes, each blend's arithmetic, clipping, skipped negative
// columns and rows, the scaled path's geometry and drawing onto itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <random>

#include "effects/blur_mask_support.h"
#include "effects/compositor.h"
#include "effects_test_util.h"

using test_util::at;
using test_util::fill;
using test_util::make_image;

namespace {

CompositorState rect(Image* src, Image* dst, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                     int32_t sw, int32_t sh, int32_t dw, int32_t dh, uint8_t opacity,
                     uint8_t blend = 0, uint8_t smooth = 0) {
  CompositorState st{};
  st.src = src;
  st.dst = dst;
  st.src_x = sx;
  st.src_y = sy;
  st.dst_x = dx;
  st.dst_y = dy;
  st.src_w = sw;
  st.src_h = sh;
  st.dst_w = dw;
  st.dst_h = dh;
  st.opacity = opacity;
  st.blend = static_cast<blend::Rule>(blend);  // also values that are no rule
  st.smooth = smooth;
  return st;
}

uint32_t one_pixel(uint32_t s, uint32_t d, uint8_t opacity, uint8_t blend) {
  auto src = make_image(1, 1);
  auto dst = make_image(1, 1);
  src->pixels[0] = s;
  dst->pixels[0] = d;
  CompositorState st = rect(src.get(), dst.get(), 0, 0, 0, 0, 1, 1, 1, 1, opacity, blend);
  compositor_render(st, 0);
  return dst->pixels[0];
}

}  // namespace

TEST(CompositorOpacity, ZeroDrawsNothingExceptReplaceClears) {
  auto src = make_image(8, 8);
  auto dst = make_image(8, 8);
  fill(*src, 0xFFFFFFFFu);
  for (uint8_t blend : {0, 1}) {
    fill(*dst, 0x12345678u);
    CompositorState st = rect(src.get(), dst.get(), 0, 0, 1, 1, 4, 4, 4, 4, 0, blend);
    compositor_render(st, 0);
    EXPECT_EQ(at(*dst, 2, 2), 0x12345678u) << "blend " << int(blend);
  }
  // Scaled path with opacity 0: nothing.
  fill(*dst, 0x12345678u);
  CompositorState scaled = rect(src.get(), dst.get(), 0, 0, 0, 0, 2, 2, 8, 8, 0, 2);
  compositor_render(scaled, 0);
  EXPECT_EQ(at(*dst, 5, 5), 0x12345678u);
  // Replace with opacity 0 clears exactly the clipped rectangle.
  fill(*dst, 0x12345678u);
  CompositorState clear = rect(src.get(), dst.get(), 0, 0, 5, -2, 6, 6, 6, 6, 0, 2);
  compositor_render(clear, 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 5 && y < 4;
      EXPECT_EQ(at(*dst, x, y), inside ? 0u : 0x12345678u) << x << "," << y;
    }
  }
}

TEST(CompositorBlend, AlphaBlendExtremes) {
  // Opaque source at full opacity replaces the colour; alpha becomes 255.
  EXPECT_EQ(one_pixel(0xFFA0B0C0u, 0x00010203u, 255, 0), 0xFFA0B0C0u);
  // Transparent source leaves the colour but sets alpha 255.
  EXPECT_EQ(one_pixel(0x00A0B0C0u, 0x00010203u, 255, 0), 0xFF010203u);
  // Half: a = (128 * 256) >> 8 = 128; 200*128>>8 = 100, 100*129>>8 = 50.
  EXPECT_EQ(one_pixel(0x7FC8C8C8u, 0x00646464u, 255, 0), 0xFF969696u);
  // Opacity 127 (k = 128) with opaque source: a = 128, as above.
  EXPECT_EQ(one_pixel(0xFFC8C8C8u, 0x00646464u, 127, 0), 0xFF969696u);
}

TEST(CompositorBlend, SaturatingAdd) {
  EXPECT_EQ(one_pixel(0xFF000000u, 0x00000000u, 255, 1), 0xFF010101u);
  EXPECT_EQ(one_pixel(0xFF808080u, 0x00808080u, 255, 1), 0xFFFFFFFFu);
  EXPECT_EQ(one_pixel(0xFF000000u, 0x00818181u, 255, 1), 0xFF818181u);
  EXPECT_EQ(one_pixel(0xFF000000u, 0x00808080u, 255, 1), 0xFF818181u);
  // Channels saturate independently: red overflows, green and blue do not.
  EXPECT_EQ(one_pixel(0xFFF01002u, 0x00F02003u, 255, 1), 0xFFFF3105u);
}

TEST(CompositorBlend, ReplaceAlphaRule) {
  // Full opacity copies all four bytes, alpha included.
  EXPECT_EQ(one_pixel(0x12345678u, 0xFFFFFFFFu, 255, 2), 0x12345678u);
  // Any lower opacity scales by a and writes alpha 255: a = (0x13 * 255) >> 8 = 18,
  // 255 * 18 >> 8 = 17, 128 * 18 >> 8 = 9, 64 * 18 >> 8 = 4.
  EXPECT_EQ(one_pixel(0x12FF8040u, 0u, 254, 2), 0xFF110904u);
  // Opaque source, opacity 1 (k = 2): a = 2.
  EXPECT_EQ(one_pixel(0xFFFF8040u, 0u, 1, 2), 0xFF010100u);
}

TEST(CompositorBlend, UnknownBlendDrawsNothingOneToOne) {
  EXPECT_EQ(one_pixel(0xFFFFFFFFu, 0x01020304u, 255, 3), 0x01020304u);
  EXPECT_EQ(one_pixel(0xFFFFFFFFu, 0x01020304u, 255, 200), 0x01020304u);
}

TEST(CompositorGeometry, ClipsRightAndBottomAndRejectsOutside) {
  auto src = make_image(10, 10);
  auto dst = make_image(10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) at(*src, x, y) = 0xFF000000u | (y << 8) | x;
  CompositorState st = rect(src.get(), dst.get(), 0, 0, 7, 8, 10, 10, 10, 10, 255, 2);
  compositor_render(st, 0);
  EXPECT_EQ(at(*dst, 9, 9), 0xFF000102u);
  EXPECT_EQ(at(*dst, 7, 8), 0xFF000000u);
  EXPECT_EQ(at(*dst, 6, 8), 0u);
  // Starting at the right or bottom edge draws nothing.
  fill(*dst, 7u);
  for (auto [x, y] : {std::pair{10, 0}, std::pair{0, 10}, std::pair{50, 50}}) {
    CompositorState edge = rect(src.get(), dst.get(), 0, 0, x, y, 4, 4, 4, 4, 0, 2);
    compositor_render(edge, 0);
    CompositorState edge_scaled = rect(src.get(), dst.get(), 0, 0, x, y, 2, 2, 4, 4, 255);
    compositor_render(edge_scaled, 0);
  }
  EXPECT_EQ(test_util::checksum(*dst), [&] {
    auto ref = make_image(10, 10);
    fill(*ref, 7u);
    return test_util::checksum(*ref);
  }());
}

TEST(CompositorGeometry, NegativeColumnsAndRowsAreSkippedInPlace) {
  auto src = make_image(40, 20);
  auto dst = make_image(30, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) at(*src, x, y) = 0xFF000000u | (y << 8) | x;
  // dst_x -10: destination columns 0..w-11 come from source columns src_x+10 on.
  CompositorState st = rect(src.get(), dst.get(), 5, 2, -10, 0, 25, 5, 25, 5, 255, 2);
  compositor_render(st, 0);
  EXPECT_EQ(at(*dst, 0, 0), 0xFF00020Fu);   // source (15, 2)
  EXPECT_EQ(at(*dst, 14, 4), 0xFF00061Du);  // source (29, 6)
  EXPECT_EQ(at(*dst, 15, 0), 0u);
  // The same above the top edge, combined with a left cut.
  fill(*dst, 0u);
  CompositorState up = rect(src.get(), dst.get(), 0, 0, -3, -4, 8, 8, 8, 8, 255, 2);
  compositor_render(up, 0);
  EXPECT_EQ(at(*dst, 0, 0), 0xFF000403u);
  EXPECT_EQ(at(*dst, 4, 3), 0xFF000707u);
  EXPECT_EQ(at(*dst, 5, 0), 0u);
  EXPECT_EQ(at(*dst, 0, 4), 0u);
}

TEST(CompositorGeometry, SourceOutsideImageIsNotRead) {
  // Not part of any scene: pixels whose source lies outside the source image
  // are left alone on the one-to-one path; the rest keep their places.
  auto src = make_image(4, 4);
  auto dst = make_image(8, 8);
  fill(*src, 0xFFABCDEFu);
  fill(*dst, 0x11111111u);
  CompositorState st = rect(src.get(), dst.get(), -2, 2, 0, 0, 8, 8, 8, 8, 255, 2);
  compositor_render(st, 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool drawn = x >= 2 && x < 6 && y < 2;
      EXPECT_EQ(at(*dst, x, y), drawn ? 0xFFABCDEFu : 0x11111111u) << x << "," << y;
    }
  }
  // Scaled samples outside the source take the nearest edge pixel.
  auto grad = make_image(2, 1);
  grad->pixels[0] = 0xFF000001u;
  grad->pixels[1] = 0xFF000002u;
  auto out = make_image(4, 1);
  CompositorState scaled = rect(grad.get(), out.get(), 1, 0, 0, 0, 4, 1, 4, 2, 255, 0, 1);
  compositor_render(scaled, 0);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(out->pixels[x], 0xFF000002u);
}

TEST(CompositorScaled, OneByOneTakesTheSourceCorner) {
  auto src = make_image(16, 16);
  auto dst = make_image(4, 4);
  test_util::fill_random(*src, 5);
  for (uint8_t smooth : {0, 1}) {
    fill(*dst, 0u);
    CompositorState st = rect(src.get(), dst.get(), 3, 5, 2, 1, 9, 7, 1, 1, 17, 1, smooth);
    compositor_render(st, 0);
    EXPECT_EQ(at(*dst, 2, 1), at(*src, 3, 5)) << "smooth " << int(smooth);
    EXPECT_EQ(at(*dst, 1, 1), 0u);
  }
}

TEST(CompositorScaled, EqualSizesIgnoreSmoothAndDifferentSizesIgnoreBlend) {
  auto src = make_image(6, 6);
  auto a = make_image(12, 12);
  auto b = make_image(12, 12);
  test_util::fill_random(*src, 9);
  CompositorState one = rect(src.get(), a.get(), 0, 0, 1, 1, 6, 6, 6, 6, 100, 1, 1);
  compositor_render(one, 0);
  one.dst = b.get();
  one.smooth = 0;
  compositor_render(one, 0);
  EXPECT_TRUE(test_util::images_equal(*a, *b, "equal_sizes_smooth"));
  // Scaled: blend 1 at opacity 10 is still a plain nearest copy.
  CompositorState s1 = rect(src.get(), a.get(), 0, 0, 0, 0, 6, 6, 12, 12, 10, 1, 0);
  compositor_render(s1, 0);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(at(*a, x, y), at(*src, x / 2, y / 2));
}

TEST(CompositorScaled, RightClipKeepsTheScale) {
  // 200 source columns drawn 400 wide at x 200: 200 pixels from 100 columns.
  auto src = make_image(200, 1);
  auto dst = make_image(400, 1);
  for (int x = 0; x < 200; ++x) src->pixels[x] = 0xFF000000u | x;
  CompositorState st = rect(src.get(), dst.get(), 0, 0, 200, 0, 200, 1, 400, 1, 255, 0, 0);
  compositor_render(st, 0);
  for (int x = 0; x < 200; ++x) ASSERT_EQ(dst->pixels[200 + x], 0xFF000000u | (x / 2)) << x;
  EXPECT_EQ(dst->pixels[199], 0u);
}

TEST(CompositorScaled, PositionsAdvanceByRepeatedAddition) {
  // Step 0.1: ten additions give 0.9999999999999999, while 10 * 0.1 rounds
  // to 1.0. Find the first column where the two disagree and check the
  // render follows the repeated sum.
  double sum = 0.0;
  int column = -1;
  for (int i = 0; i < 100 && column < 0; ++i, sum += 0.1) {
    if (static_cast<int>(sum) != static_cast<int>(i * 0.1)) column = i;
  }
  ASSERT_GE(column, 0);
  double repeated = 0.0;
  for (int i = 0; i < column; ++i) repeated += 0.1;
  auto src = make_image(10, 1);
  for (int x = 0; x < 10; ++x) src->pixels[x] = 0xFF000000u | x;
  auto dst = make_image(100, 1);
  CompositorState st = rect(src.get(), dst.get(), 0, 0, 0, 0, 10, 1, 100, 1, 255, 0, 0);
  compositor_render(st, 0);
  EXPECT_EQ(dst->pixels[column], 0xFF000000u | static_cast<uint32_t>(repeated));
  EXPECT_NE(dst->pixels[column], 0xFF000000u | static_cast<uint32_t>(column * 0.1));
  // Negative destination columns are skipped but still advance the position.
  auto dst2 = make_image(100, 1);
  CompositorState neg = rect(src.get(), dst2.get(), 0, 0, -30, 0, 10, 1, 100, 1, 255, 0, 0);
  compositor_render(neg, 0);
  EXPECT_EQ(dst2->pixels[0], dst->pixels[30]);
  EXPECT_EQ(dst2->pixels[69], dst->pixels[99]);
  EXPECT_EQ(dst2->pixels[70], 0u);
}

TEST(CompositorScaled, BilinearWeights) {
  // Two columns 0 and 200 in blue, half way: fx = 128 gives 0 + 200*128>>8 = 100.
  auto src = make_image(2, 2);
  at(*src, 0, 0) = 0x00000000u;
  at(*src, 1, 0) = 0xC8C8C8C8u;
  at(*src, 0, 1) = 0x00000000u;
  at(*src, 1, 1) = 0xC8C8C8C8u;
  auto dst = make_image(2, 1);
  // src_w 1 over dst_w 2: step 0.5, positions 0 and 0.5.
  CompositorState st = rect(src.get(), dst.get(), 0, 0, 0, 0, 1, 1, 2, 1, 255, 0, 1);
  compositor_render(st, 0);
  EXPECT_EQ(dst->pixels[0], 0u);
  EXPECT_EQ(dst->pixels[1], 0x64646464u);  // alpha is mixed too and written as is
}

TEST(CompositorSelf, OneToOneReadsEarlierWrites) {
  // Copying a row onto itself one pixel to the right repeats its first pixel:
  // each read sees the pixel written just before.
  auto img = make_image(8, 2);
  for (int x = 0; x < 8; ++x) at(*img, x, 0) = 0xFF000000u | x;
  CompositorState st = rect(img.get(), img.get(), 0, 0, 1, 0, 6, 1, 6, 1, 255, 2);
  compositor_render(st, 0);
  for (int x = 1; x <= 6; ++x) EXPECT_EQ(at(*img, x, 0), 0xFF000000u) << x;
  EXPECT_EQ(at(*img, 7, 0), 0xFF000007u);
  // Shifting left reads pixels not yet written.
  for (int x = 0; x < 8; ++x) at(*img, x, 1) = 0xFF000000u | x;
  CompositorState left = rect(img.get(), img.get(), 1, 1, 0, 1, 7, 1, 7, 1, 255, 2);
  compositor_render(left, 0);
  for (int x = 0; x < 7; ++x) EXPECT_EQ(at(*img, x, 1), 0xFF000000u | (x + 1));
}

TEST(CompositorSelf, ScaledCopyWithinTheImage) {
  // A 1x1 destination inside the image it samples from.
  auto img = make_image(5, 5);
  test_util::fill_random(*img, 3);
  const uint32_t corner = at(*img, 4, 4);
  CompositorState st = rect(img.get(), img.get(), 4, 4, 0, 0, 2, 2, 1, 1, 255);
  compositor_render(st, 0);
  EXPECT_EQ(at(*img, 0, 0), corner);
}

TEST(CompositorGeometry, ExtremeFieldsStayInsideTheImages) {
  // Positions and sizes far outside anything a scene uses, including sums
  // that would overflow 32 bits: nothing may be read or written outside the
  // two images (the sanitizer build checks the accesses), and the pixels
  // outside the destination's own buffer are never touched.
  const int32_t positions[] = {INT32_MIN, -1000, -1, 0, 1, 3, INT32_MAX};
  const int32_t sizes[] = {INT32_MIN, -1, 0, 1, 2, 5, 1000, INT32_MAX};
  std::mt19937 rng(3);
  fx_levels::FencedImage src(5, 4);
  fx_levels::FencedImage dst(6, 5);
  test_util::fill_random(*src, 1);
  const uint64_t src_sum = test_util::checksum(*src);
  for (int n = 0; n < 20000; ++n) {
    auto any = [&](const auto& values) { return values[rng() % std::size(values)]; };
    CompositorState st = rect(src.get(), dst.get(), any(positions), any(positions), any(positions),
                              any(positions), any(sizes), any(sizes), any(sizes), any(sizes),
                              static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng() % 4),
                              static_cast<uint8_t>(rng() % 2));
    if (rng() % 3 == 0) st.src = dst.get();
    compositor_render(st, 0);
    ASSERT_TRUE(dst.fences_intact() && src.fences_intact()) << "case " << n;
  }
  EXPECT_EQ(test_util::checksum(*src), src_sum);  // a separate source is only read
}
