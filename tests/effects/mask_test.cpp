#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "base/reference_rand.h"
#include "effects/mask.h"
#include "effects/mask_kernels.h"
#include "effects/blur_mask_support.h"
#include "effects_test_util.h"

namespace {

using fx_levels::FencedImage;
using fx_levels::ScopedLevel;
using test_util::at;

// The mask rule written out channel by channel.
uint32_t reference_mask(uint32_t p, uint8_t m) {
  if (m == 255) return p;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) out |= ((((p >> shift) & 0xFFu) * (m + 1u)) >> 8) << shift;
  return out;
}

using fx_levels::render_object;

// Test pixel whose channels step through all byte values along x and y.
uint32_t pattern(int32_t x, int32_t y) {
  return static_cast<uint32_t>(((y * 7 + x * 3) & 0xFF) << 24 | ((x + y) & 0xFF) << 16 | ((x + 2 * y + 85) & 0xFF) << 8 |
                               ((x + 3 * y + 170) & 0xFF));
}

// Every mask byte against every channel value, alpha included, at every
// instruction-set level, through both renderers.
TEST(MaskRule, ExhaustiveAgainstReference) {
  // Row y of a 259 x 256 image holds values covering every channel byte;
  // 259 columns exercise the vector loops' tails.
  const int32_t w = 259, h = 256;
  for (SimdLevel level : fx_levels::available()) {
    ScopedLevel use(level);
    FencedImage rows(w, h), columns(h, w);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) at(*rows, x, y) = pattern(x, y);
    for (int32_t y = 0; y < w; ++y)
      for (int32_t x = 0; x < h; ++x) at(*columns, x, y) = pattern(y, x);

    MaskBytes every_byte(h);
    for (int32_t j = 0; j < h; ++j) every_byte[j] = static_cast<uint8_t>(j);
    render_object(RowMaskState{rows.get(), 0, 0, w, h, every_byte});
    render_object(ColumnMaskState{columns.get(), 0, 0, h, w, every_byte});

    int failures = 0;
    for (int32_t y = 0; y < h && failures < 5; ++y) {
      for (int32_t x = 0; x < w && failures < 5; ++x) {
        const uint32_t expected = reference_mask(pattern(x, y), static_cast<uint8_t>(y));
        if (at(*rows, x, y) != expected || at(*columns, y, x) != expected) {
          ADD_FAILURE() << simd_level_name(level) << " m=" << y << " p=" << std::hex << pattern(x, y)
                        << " row " << at(*rows, x, y) << " column " << at(*columns, y, x) << " expected "
                        << expected;
          ++failures;
        }
      }
    }
    EXPECT_TRUE(rows.fences_intact() && columns.fences_intact());
  }
}

TEST(MaskRule, NamedValues) {
  EXPECT_EQ(mask_pixel(0x12FFFFFFu, 254), 0xFFFEFEFEu);  // 255 * 255 >> 8 = 254, alpha 255
  EXPECT_EQ(mask_pixel(0x00FFFFFFu, 1), 0xFF010101u);    // 255 * 2 >> 8 = 1
  EXPECT_EQ(mask_pixel(0x7F123456u, 0), 0xFF000000u);
  EXPECT_EQ(mask_pixel(0x7F123456u, 255), 0x7F123456u);  // alpha kept too
}

// Random images with every kind of alpha, random rectangles (some partly or
// wholly outside the image) and random masks, some shorter than the
// rectangle (rows or columns without a byte are left alone), at every level.
TEST(MaskRule, RandomRectanglesMatchReferenceAndStayInside) {
  ReferenceRand numbers(7);
  for (SimdLevel level : fx_levels::available()) {
    ScopedLevel use(level);
    for (int round = 0; round < 300; ++round) {
      const int32_t iw = 1 + numbers.next() % 45, ih = 1 + numbers.next() % 45;
      FencedImage image(iw, ih);
      test_util::fill_random_alpha_mix(*image, static_cast<uint32_t>(round));
      test_util::ImagePtr before = test_util::clone_image(*image);
      const int32_t x = numbers.next() % 70 - 20, y = numbers.next() % 70 - 20;
      const int32_t w = numbers.next() % 70 - 5, h = numbers.next() % 70 - 5;
      const bool by_row = round % 2 == 0;
      const int32_t n = by_row ? h : w;
      const int32_t short_by = numbers.next() % 4 == 0 ? 1 + numbers.next() % 3 : 0;
      MaskBytes mask(static_cast<std::size_t>(std::max(n - short_by, 0)));
      const int32_t bytes = static_cast<int32_t>(mask.size());
      for (int32_t i = 0; i < bytes; ++i) {
        const int r = numbers.next() % 4;
        mask[i] = r == 0 ? 0 : r == 1 ? 255 : static_cast<uint8_t>(numbers.next());
      }
      if (by_row) {
        render_object(RowMaskState{image.get(), x, y, w, h, mask});
      } else {
        render_object(ColumnMaskState{image.get(), x, y, w, h, mask});
      }

      test_util::ImagePtr expected = test_util::clone_image(*before);
      for (int32_t j = 0; j < h; ++j) {
        for (int32_t i = 0; i < w; ++i) {
          const int32_t px = x + i, py = y + j;
          if (px < 0 || py < 0 || px >= iw || py >= ih || (by_row ? j : i) >= bytes) continue;
          at(*expected, px, py) = reference_mask(at(*before, px, py), by_row ? mask[j] : mask[i]);
        }
      }
      ASSERT_TRUE(test_util::images_equal(*image, *expected, "mask_random"))
          << simd_level_name(level) << (by_row ? " row" : " column") << " rect " << x << "," << y << " " << w
          << "x" << h << " in " << iw << "x" << ih;
      ASSERT_TRUE(image.fences_intact());
    }
  }
}

TEST(MaskRule, AllOpaqueMaskKeepsImageAndExtremeRectangles) {
  FencedImage image(400, 300);
  test_util::fill_random(*image, 3);  // arbitrary alpha bytes
  const uint64_t sum = test_util::checksum(*image);
  render_object(ColumnMaskState{image.get(), 0, 0, 400, 300, MaskBytes(400, 255)});
  render_object(RowMaskState{image.get(), 0, 0, 400, 300, MaskBytes(300, 255)});
  EXPECT_EQ(test_util::checksum(*image), sum);

  // Rectangles whose far edge overflows int32 or that lie wholly outside,
  // and a mask far shorter than its rectangle.
  const MaskBytes black(300, 0);
  render_object(RowMaskState{image.get(), INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX, black});
  render_object(RowMaskState{image.get(), 400, 0, 10, 10, black});
  render_object(RowMaskState{image.get(), -10, -300, 10, 300, black});
  render_object(ColumnMaskState{image.get(), 400, 0, INT_MAX, 300, black});
  EXPECT_EQ(test_util::checksum(*image), sum);
  render_object(RowMaskState{image.get(), 0, 299, 400, INT_MAX, black});
  render_object(ColumnMaskState{image.get(), 0, 0, INT_MAX, 300, MaskBytes(1, 0)});
  for (int32_t x = 0; x < 400; ++x) EXPECT_EQ(at(*image, x, 299), 0xFF000000u) << x;
  for (int32_t y = 0; y < 300; ++y) EXPECT_EQ(at(*image, 0, y), 0xFF000000u) << y;
  EXPECT_NE(at(*image, 1, 298), 0xFF000000u);
  EXPECT_TRUE(image.fences_intact());
}

}  // namespace
