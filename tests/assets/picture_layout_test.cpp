// The size table the generator, its tests and the player's start-up check
// share.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/picture_sizes.h"

namespace {

TEST(PictureSizes, EveryRuleIsSaneAndExplained) {
  for (int i = 0; i < picture_count; ++i) {
    const PictureSizeRule& r = picture_size_rule(i);
    ASSERT_NE(r.reason, nullptr);
    EXPECT_GT(std::string(r.reason).size(), 10u) << i;
    EXPECT_GE(r.min_width, 1) << i;
    EXPECT_GE(r.min_height, 1) << i;
    if (r.max_width > 0) {
      EXPECT_LE(r.min_width, r.max_width) << i;
    }
    if (r.max_height > 0) {
      EXPECT_LE(r.min_height, r.max_height) << i;
    }
    if (r.same_size_as >= 0) {
      // A slot's later pictures follow its first, which has a rule of its own.
      EXPECT_LT(r.same_size_as, i);
      EXPECT_LT(picture_size_rule(r.same_size_as).same_size_as, 0) << i;
    }
  }
}

TEST(PictureSizes, ScenesReadingRectanglesGetTheirMinimums) {
  EXPECT_FALSE(picture_size_fits(4, 538, 300, 0, 0));   // shipyard pan up to column 139
  EXPECT_TRUE(picture_size_fits(4, 539, 300, 0, 0));
  EXPECT_FALSE(picture_size_fits(8, 478, 300, 0, 0));
  EXPECT_FALSE(picture_size_fits(172, 1158, 300, 0, 0));  // panorama scroll
  EXPECT_TRUE(picture_size_fits(172, 1159, 300, 0, 0));
  EXPECT_FALSE(picture_size_fits(40, 400, 300, 0, 0));    // keyword photo must be wider than the view
  EXPECT_FALSE(picture_size_fits(29, 99, 20, 0, 0));      // labels read 100 columns
}

TEST(PictureSizes, BlurredPicturesNeedTheScreensRowLength) {
  for (int i : {83, 100, 121, 140, 155, 164, 192}) {
    EXPECT_TRUE(picture_size_fits(i, 400, 300, 0, 0)) << i;
    EXPECT_TRUE(picture_size_fits(i, 400, 301, 0, 0)) << i;
    EXPECT_FALSE(picture_size_fits(i, 401, 300, 0, 0)) << i;
    EXPECT_FALSE(picture_size_fits(i, 400, 299, 0, 0)) << i;
  }
}

TEST(PictureSizes, ExactAndSlotRules) {
  EXPECT_FALSE(picture_size_fits(223, 401, 300, 0, 0));  // end picture must not be scaled
  EXPECT_TRUE(picture_size_fits(223, 400, 300, 0, 0));
  EXPECT_TRUE(picture_size_fits(42, 36, 36, 36, 36));    // thumbnail slot: same as 41
  EXPECT_FALSE(picture_size_fits(42, 36, 35, 36, 36));
  EXPECT_FALSE(picture_size_fits(41, 42, 36, 0, 0));     // thumbnails sit 41 pixels apart
  EXPECT_FALSE(picture_size_fits(113, 110, 76, 0, 0));   // strip loop needs 7 lines of 11 rows
}

TEST(PictureSizes, FirstViolationFindsTheOffender) {
  std::vector<Image> images(picture_count);
  std::vector<const Image*> pointers;
  for (int i = 0; i < picture_count; ++i) {
    const PictureSizeRule& r = picture_size_rule(i);
    const PictureSizeRule& base = r.same_size_as >= 0 ? picture_size_rule(r.same_size_as) : r;
    images[i] = {nullptr, base.min_width, base.min_height};
    pointers.push_back(&images[i]);
  }
  EXPECT_EQ(first_picture_size_violation(pointers.data()), -1);
  images[219].width += 1;  // a mixer that no longer matches the slot's first
  EXPECT_EQ(first_picture_size_violation(pointers.data()), 219);
  images[16].height -= 1;  // a traffic photograph smaller than image 15
  EXPECT_EQ(first_picture_size_violation(pointers.data()), 16);
}

}  // namespace
