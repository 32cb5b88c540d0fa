#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "effects/blur.h"
#include "effects/blur_kernels.h"
#include "effects/blur_mask_support.h"
#include "effects_test_util.h"

namespace {

using fx_levels::FencedImage;
using fx_levels::ScopedLevel;
using test_util::at;

// The blur as defined: every output channel is the truncated average of the
// n source values at positions x - (n - 1) / 2 .. x + n / 2 along the line,
// positions clamped to the line. Plain, direct and slow.
void reference_blur(const Image& src, Image& dst, int32_t n, bool vertical) {
  const int32_t w = dst.width, h = dst.height;
  if (n <= 2) {
    std::copy(src.pixels, src.pixels + static_cast<std::size_t>(w) * h, dst.pixels);
    return;
  }
  const int64_t lo = -int64_t{(n - 1) / 2}, hi = n / 2;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint64_t sum[4] = {0, 0, 0, 0};
      for (int64_t j = lo; j <= hi; ++j) {
        const int64_t px = vertical ? x : std::clamp<int64_t>(x + j, 0, w - 1);
        const int64_t py = vertical ? std::clamp<int64_t>(y + j, 0, h - 1) : y;
        const uint32_t p = src.pixels[py * w + px];
        for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFFu;
      }
      uint32_t out = 0;
      for (int c = 0; c < 4; ++c) out |= static_cast<uint32_t>(sum[c] / static_cast<uint64_t>(n)) << (8 * c);
      at(dst, x, y) = out;
    }
  }
}

void blur(Image* src, Image* dst, int32_t size, bool vertical) {
  if (vertical) {
    fx_levels::render_object(VerticalBlurState{src, dst, size});
  } else {
    fx_levels::render_object(HorizontalBlurState{src, dst, size});
  }
}

// Blurs src at every available level in both directions and compares each
// result with the reference by checksum; a mismatch writes the pictures.
void expect_matches_reference(Image& src, int32_t size, const std::string& label) {
  for (bool vertical : {false, true}) {
    test_util::ImagePtr expected = test_util::make_image(src.width, src.height);
    reference_blur(src, *expected, size, vertical);
    const uint64_t want = test_util::checksum(*expected);
    for (SimdLevel level : fx_levels::available()) {
      ScopedLevel use(level);
      FencedImage dst(src.width, src.height);
      blur(&src, dst.get(), size, vertical);
      ASSERT_TRUE(dst.fences_intact()) << label;
      if (test_util::checksum(*dst) != want) {
        char name[96];
        std::snprintf(name, sizeof name, "blur_%s_%s_%dx%d_n%d", vertical ? "v" : "h", simd_level_name(level),
                      src.width, src.height, size);
        ASSERT_TRUE(test_util::images_equal(*dst, *expected, name)) << label;
      }
    }
  }
}

// Exact division of every sum a window can produce, for every window the
// vector kernels handle.
TEST(BlurDivision, LaneDividerIsExactForEveryWindowSum) {
  for (uint32_t n = 3; n <= static_cast<uint32_t>(blur_vector_max_size); ++n) {
    const LaneDivider d = make_lane_divider(n);
    for (uint32_t s = 0; s <= 255 * n; ++s) {
      ASSERT_EQ(lane_divide(d, s), s / n) << "n=" << n << " s=" << s << (d.simple ? " simple" : " round-down");
    }
  }
}

TEST(Blur, NamedEdgeValues) {
  // One row: red 0, 0, 2 then 30: size 3 at x = 1 averages 0, 0, 2 -> 0.
  test_util::ImagePtr src = test_util::make_image(4, 1);
  src->pixels[0] = 0x00000000u;
  src->pixels[1] = 0x00000000u;
  src->pixels[2] = 0x00020000u;
  src->pixels[3] = 0x001E0000u;
  test_util::ImagePtr dst = test_util::make_image(4, 1);
  blur(src.get(), dst.get(), 3, false);
  EXPECT_EQ(dst->pixels[1], 0u);
  // x = 0 counts pixel 0 twice: (0 + 0 + 0) / 3; x = 2: (0 + 2 + 30) / 3 = 10.
  EXPECT_EQ(dst->pixels[2], 0x000A0000u);
  // Size 4 at x = 3 (the last) averages pixels 2, 3, 3, 3: (2 + 90) / 4 = 23.
  blur(src.get(), dst.get(), 4, false);
  EXPECT_EQ(dst->pixels[3], 0x00170000u);
  // Size 3 at x = 0 over blue 3, 0, ...: (3 + 3 + 0) / 3 = 2 shows the double count.
  src->pixels[0] = 0x03u;
  blur(src.get(), dst.get(), 3, false);
  EXPECT_EQ(dst->pixels[0], 0x02u);
}

TEST(Blur, SmallSizesCopyAndUniformImagesStayUniform) {
  FencedImage src(37, 23);
  test_util::fill_random_alpha_mix(*src, 5);
  for (int32_t size : {INT_MIN, -3, 0, 1, 2}) {
    for (bool vertical : {false, true}) {
      FencedImage dst(37, 23);
      blur(src.get(), dst.get(), size, vertical);
      EXPECT_EQ(test_util::checksum(*dst), test_util::checksum(*src)) << size;
    }
  }
  FencedImage uniform(23, 17);
  test_util::fill(*uniform, 0x80FF017Fu);
  for (SimdLevel level : fx_levels::available()) {
    ScopedLevel use(level);
    for (int32_t size = 0; size <= 300; ++size) {
      for (bool vertical : {false, true}) {
        FencedImage dst(23, 17);
        blur(uniform.get(), dst.get(), size, vertical);
        ASSERT_EQ(test_util::checksum(*dst), test_util::checksum(*uniform)) << size << " " << vertical;
      }
    }
    for (int32_t size : {1000, 65536, INT_MAX}) {
      for (bool vertical : {false, true}) {
        FencedImage dst(23, 17);
        blur(uniform.get(), dst.get(), size, vertical);
        ASSERT_EQ(test_util::checksum(*dst), test_util::checksum(*uniform)) << size;
        ASSERT_TRUE(dst.fences_intact());
      }
    }
  }
}

// Random images (varied alpha) of odd and tiny sizes against the reference
// for every window length from 0 to 260, which includes windows far longer
// than the image (their positions clamp like any other).
TEST(Blur, RandomSmallImagesEveryWindow) {
  const int32_t sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {2, 3}, {5, 5}, {8, 9}, {17, 13}, {40, 33}, {33, 40}, {39, 2}};
  uint32_t seed = 100;
  for (const auto& wh : sizes) {
    FencedImage src(wh[0], wh[1]);
    test_util::fill_random_alpha_mix(*src, seed++);
    for (int32_t size = 0; size <= 260; ++size) {
      expect_matches_reference(*src, size, "random small");
      if (HasFatalFailure()) return;
    }
    ASSERT_TRUE(src.fences_intact());
  }
}

// The show's image size with the window lengths scenes use, a length whose
// division takes the round-down form (186), and lengths around the 16-bit
// limit of the vector kernels.
TEST(Blur, RandomScreenSizedImages) {
  FencedImage src(400, 300);
  test_util::fill_random_alpha_mix(*src, 42);
  for (int32_t size : {3, 4, 51, 186, 251, 258}) {
    expect_matches_reference(*src, size, "screen");
    if (HasFatalFailure()) return;
  }
  // Extreme content: all channels at 255 except a few zero pixels, so that
  // sums reach 255 * n exactly.
  test_util::fill(*src, 0xFFFFFFFFu);
  for (int32_t i = 0; i < 120000; i += 997) src->pixels[i] = 0;
  expect_matches_reference(*src, 257, "saturated");
}

// A source shared with the destination (the same image, or overlapping
// pixel arrays) blurs the original pixels; a source too small for the
// destination's size leaves the destination untouched.
TEST(Blur, AliasedAndUndersizedSources) {
  for (bool vertical : {false, true}) {
    FencedImage image(31, 19);
    test_util::fill_random_alpha_mix(*image, 77);
    test_util::ImagePtr expected = test_util::make_image(31, 19);
    reference_blur(*image, *expected, 9, vertical);
    blur(image.get(), image.get(), 9, vertical);
    EXPECT_TRUE(test_util::images_equal(*image, *expected, "blur_aliased"));

    FencedImage base(40, 40);
    test_util::fill_random(*base, 78);
    Image shifted{base->pixels + 35, 40, 39};  // src starts 35 words into dst
    test_util::ImagePtr original = test_util::make_image(40, 39);
    std::copy(shifted.pixels, shifted.pixels + 40 * 39, original->pixels);
    test_util::ImagePtr want = test_util::make_image(40, 39);
    reference_blur(*original, *want, 6, vertical);
    Image target{base->pixels, 40, 39};
    blur(&shifted, &target, 6, vertical);
    EXPECT_TRUE(test_util::images_equal(target, *want, "blur_overlap"));
    test_util::fill_random(*base, 78);
    blur(&shifted, &target, 2, vertical);  // copy between overlapping arrays
    EXPECT_TRUE(test_util::images_equal(target, *original, "blur_overlap_copy"));
    EXPECT_TRUE(base.fences_intact());

    FencedImage small(10, 9), dst(10, 10);
    test_util::fill_random(*small, 79);
    test_util::fill(*dst, 0x12345678u);
    blur(small.get(), dst.get(), 5, vertical);
    blur(small.get(), dst.get(), 1, vertical);
    for (int32_t i = 0; i < 100; ++i) ASSERT_EQ(dst->pixels[i], 0x12345678u);
  }
}

}  // namespace
