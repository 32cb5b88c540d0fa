#include <gtest/gtest.h>

#include <climits>

#include "base/reference_rand.h"
#include "effects/blur_mask_support.h"
#include "effects/smear.h"
#include "effects_test_util.h"

namespace {

using fx_levels::FencedImage;
using test_util::at;

// The smear as written: pixel by pixel in increasing order, in place, with
// out-of-image targets skipped.
void reference_column_smear(Image& image, int32_t column, int32_t span) {
  const int64_t begin = span > 0 ? column : int64_t{column} + span;
  const int64_t end = span > 0 ? int64_t{column} + span : column;
  for (int32_t y = 0; y < image.height; ++y)
    for (int64_t x = begin; x < end; ++x)
      if (x >= 0 && x < image.width) at(image, static_cast<int32_t>(x), y) = at(image, column, y);
}

void reference_row_smear(Image& image, int32_t row, int32_t span) {
  const int64_t begin = span > 0 ? row : int64_t{row} + span;
  const int64_t end = span > 0 ? int64_t{row} + span : row;
  for (int64_t y = begin; y < end; ++y)
    if (y >= 0 && y < image.height)
      for (int32_t x = 0; x < image.width; ++x) at(image, x, static_cast<int32_t>(y)) = at(image, x, row);
}

void column_smear(Image* image, int32_t column, int32_t span) {
  fx_levels::render_object(ColumnSmearState{image, column, span});
}

void row_smear(Image* image, int32_t row, int32_t span) { fx_levels::render_object(RowSmearState{image, row, span}); }

TEST(Smear, ColumnSpansFillTheNamedColumns) {
  FencedImage image(30, 4);
  test_util::fill_random(*image, 1);
  test_util::ImagePtr original = test_util::clone_image(*image);
  column_smear(image.get(), 10, 5);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 30; ++x) {
      const uint32_t expected = x >= 10 && x <= 14 ? at(*original, 10, y) : at(*original, x, y);
      ASSERT_EQ(at(*image, x, y), expected) << x << "," << y;
    }
  }
  test_util::ImagePtr fresh = test_util::clone_image(*original);
  column_smear(fresh.get(), 10, -5);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 30; ++x)
      ASSERT_EQ(at(*fresh, x, y), x >= 5 && x <= 9 ? at(*original, 10, y) : at(*original, x, y));
}

TEST(Smear, SpansZeroOneAndMinusOne) {
  FencedImage image(9, 7);
  test_util::fill_random(*image, 2);
  const uint64_t sum = test_util::checksum(*image);
  column_smear(image.get(), 4, 0);
  column_smear(image.get(), 4, 1);
  row_smear(image.get(), 3, 0);
  row_smear(image.get(), 3, 1);
  EXPECT_EQ(test_util::checksum(*image), sum);

  test_util::ImagePtr original = test_util::clone_image(*image);
  column_smear(image.get(), 4, -1);
  row_smear(image.get(), 3, -1);
  for (int32_t y = 0; y < 7; ++y) {
    for (int32_t x = 0; x < 9; ++x) {
      uint32_t expected = at(*original, x == 3 ? 4 : x, y);  // column 3 copies column 4
      if (y == 2) expected = at(*original, x == 3 ? 4 : x, 3);  // then row 2 copies row 3
      ASSERT_EQ(at(*image, x, y), expected) << x << "," << y;
    }
  }
}

// Random lines and spans, including lines and ranges partly or wholly
// outside the image: the part inside matches the pixel-by-pixel smear and
// nothing outside the pixel array is touched.
TEST(Smear, RandomSpansMatchReferenceAndStayInside) {
  ReferenceRand numbers(11);
  for (int round = 0; round < 400; ++round) {
    const int32_t w = 1 + numbers.next() % 40, h = 1 + numbers.next() % 40;
    FencedImage image(w, h);
    test_util::fill_random(*image, static_cast<uint32_t>(round));
    test_util::ImagePtr expected = test_util::clone_image(*image);
    const bool columns = round % 2 == 0;
    const int32_t extent = columns ? w : h;
    const int32_t line = numbers.next() % (extent + 2);  // may be one past the last line
    const int32_t span = numbers.next() % (2 * extent + 20) - extent - 10;
    if (columns) {
      column_smear(image.get(), line, span);
      if (line < w) reference_column_smear(*expected, line, span);
    } else {
      row_smear(image.get(), line, span);
      if (line < h) reference_row_smear(*expected, line, span);
    }
    ASSERT_TRUE(test_util::images_equal(*image, *expected, "smear_random"))
        << (columns ? "column " : "row ") << line << " span " << span << " in " << w << "x" << h;
    ASSERT_TRUE(image.fences_intact());
  }
  FencedImage image(5, 5);
  test_util::fill_random(*image, 9);
  test_util::ImagePtr expected = test_util::clone_image(*image);
  column_smear(image.get(), 2, INT_MIN);
  row_smear(image.get(), 2, INT_MIN);
  column_smear(image.get(), -1, 3);
  row_smear(image.get(), 7, -4);
  reference_column_smear(*expected, 2, -5);
  reference_row_smear(*expected, 2, -5);
  EXPECT_TRUE(test_util::images_equal(*image, *expected, "smear_extreme"));
  column_smear(image.get(), 4, INT_MAX);
  row_smear(image.get(), 4, INT_MAX);
  EXPECT_TRUE(image.fences_intact());
}

}  // namespace
