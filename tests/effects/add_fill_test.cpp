// AddFill: the strength rule incl. strength 0, whole rectangles at every
// instruction-set level, and clipping to the image.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "compositor_reference.h"
#include "effects/add_fill.h"
#include "effects/blur_mask_support.h"
#include "effects/kernel_dispatch.h"
#include "effects_test_util.h"

using test_util::at;
using test_util::fill;
using test_util::make_image;

namespace {

uint32_t fill_one(uint32_t pixel, uint32_t colour) {
  auto img = make_image(1, 1);
  img->pixels[0] = pixel;
  AddFillState st{img.get(), colour, 0, 0, 1, 1};
  add_fill_render(st, 0);
  return img->pixels[0];
}

}  // namespace

TEST(AddFillRule, StrengthAndSaturation) {
  // Strength 0 still rounds every channel to odd and sets alpha.
  EXPECT_EQ(fill_one(0x00000000u, 0x00FFFFFFu), 0xFF010101u);
  EXPECT_EQ(fill_one(0x00FFFFFFu, 0x00000000u), 0xFFFFFFFFu);
  EXPECT_EQ(fill_one(0x12345678u, 0x00ABCDEFu), 0xFF355779u);
  // Full white saturates everything.
  EXPECT_EQ(fill_one(0x00000000u, 0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_EQ(fill_one(0x7F102030u, 0xFFFFFFFFu), 0xFFFFFFFFu);
  // 0x80FFFFFF: k = 129, 255 * 129 >> 8 = 128, so black becomes 0x81.
  EXPECT_EQ(fill_one(0x00000000u, 0x80FFFFFFu), 0xFF818181u);
  // Channels saturate independently.
  EXPECT_EQ(fill_one(0x00F00010u, 0xFF200010u), 0xFFFF0121u);
}

TEST(AddFillRect, MatchesReferenceAtEveryLevelAndLeavesTheRestAlone) {
  const SimdLevel saved = simd_level();
  std::mt19937 rng(41);
  for (SimdLevel level : {SimdLevel::scalar, SimdLevel::sse2, SimdLevel::avx2}) {
    if (!simd_level_supported(level)) continue;
    set_simd_level(level);
    for (int n = 0; n < 300; ++n) {
      const int32_t w = 1 + static_cast<int32_t>(rng() % 90);
      const int32_t h = 1 + static_cast<int32_t>(rng() % 40);
      auto img = make_image(w, h);
      test_util::fill_random(*img, rng());
      auto expected = test_util::clone_image(*img);
      AddFillState st{img.get(), static_cast<uint32_t>(rng()), 0, 0, 0, 0};
      st.x = static_cast<int32_t>(rng() % w);
      st.y = static_cast<int32_t>(rng() % h);
      st.w = static_cast<int32_t>(rng() % (w - st.x + 1));
      st.h = static_cast<int32_t>(rng() % (h - st.y + 1));
      add_fill_render(st, 0);
      for (int32_t y = st.y; y < st.y + st.h; ++y)
        for (int32_t x = st.x; x < st.x + st.w; ++x)
          at(*expected, x, y) = reference::add_colour(at(*expected, x, y), st.colour);
      ASSERT_TRUE(test_util::images_equal(*img, *expected,
                                          std::string("add_fill_") + simd_level_name(level) + "_" +
                                              std::to_string(n)));
    }
  }
  set_simd_level(saved);
}

TEST(AddFillRect, EmptyRectanglesChangeNothing) {
  auto img = make_image(6, 6);
  fill(*img, 0x01020304u);
  for (auto [w, h] : {std::pair{0, 3}, std::pair{3, 0}, std::pair{-1, 5}, std::pair{5, -7}}) {
    AddFillState st{img.get(), 0xFFFFFFFFu, 1, 1, w, h};
    add_fill_render(st, 0);
  }
  for (int i = 0; i < 36; ++i) EXPECT_EQ(img->pixels[i], 0x01020304u);
}

TEST(AddFillRect, RectangleLeavingTheImageIsClipped) {
  // Scenes keep their rectangles inside the image; one that is not must not
  // write outside it: only the part over the image is changed.
  auto img = make_image(5, 4);
  fill(*img, 0u);
  AddFillState st{img.get(), 0xFFFFFFFFu, -2, 2, 4, 10};
  add_fill_render(st, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(at(*img, x, y), (x < 2 && y >= 2) ? 0xFFFFFFFFu : 0u) << x << "," << y;
  // Entirely outside, and sizes whose end would overflow 32 bits.
  AddFillState far{img.get(), 0xFFFFFFFFu, 100, -100, 5, 5};
  add_fill_render(far, 0);
  AddFillState huge{img.get(), 0x00000000u, 3, 0, 2147483647, 1};
  add_fill_render(huge, 0);
  EXPECT_EQ(at(*img, 4, 0), 0xFF010101u);
  EXPECT_EQ(at(*img, 2, 0), 0u);
}

TEST(AddFillRect, ExtremeFieldsStayInsideTheImage) {
  // Every combination of extreme positions and sizes changes exactly the
  // part of the rectangle over the image, and nothing around the image.
  const int32_t values[] = {INT32_MIN, -1000, -1, 0, 1, 3, 1000, INT32_MAX};
  fx_levels::FencedImage img(6, 5);
  for (int32_t x : values)
    for (int32_t y : values)
      for (int32_t w : values)
        for (int32_t h : values) {
          fill(*img, 0u);
          add_fill_render(AddFillState{img.get(), 0xFFFFFFFFu, x, y, w, h}, 0);
          for (int32_t py = 0; py < 5; ++py)
            for (int32_t px = 0; px < 6; ++px) {
              const bool inside = px >= x && px < int64_t{x} + w && py >= y && py < int64_t{y} + h;
              ASSERT_EQ(at(*img, px, py), inside ? 0xFFFFFFFFu : 0u)
                  << "rect " << x << "," << y << " " << w << "x" << h << " at " << px << "," << py;
            }
          ASSERT_TRUE(img.fences_intact()) << "rect " << x << "," << y << " " << w << "x" << h;
        }
}
