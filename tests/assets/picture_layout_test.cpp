// The generator's layout targets: a consistent table, and sizes the show
// accepts (a layout target never asks for less than a scene needs).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pictures/picture_layout.h"
#include "show/picture_size_check.h"

namespace {

using assets::first_layout_miss;
using assets::layout_target;
using assets::layout_target_met;
using assets::LayoutTarget;

TEST(PictureLayout, EveryTargetIsSaneAndExplained) {
  for (int i = 0; i < picture_count; ++i) {
    const LayoutTarget& r = layout_target(i);
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
      // A slot's later pictures follow its first, which has a target of its own.
      EXPECT_LT(r.same_size_as, i);
      EXPECT_LT(layout_target(r.same_size_as).same_size_as, 0) << i;
    }
  }
}

TEST(PictureLayout, ChecksBothEndsOfARangeAndTheSlotsFirstPicture) {
  EXPECT_FALSE(layout_target_met(4, 538, 300, 0, 0));  // shipyard pan up to column 139
  EXPECT_TRUE(layout_target_met(4, 539, 300, 0, 0));
  EXPECT_FALSE(layout_target_met(40, 400, 300, 0, 0));  // the cut to the right end must show
  EXPECT_FALSE(layout_target_met(0, 127, 32, 0, 0));    // the event name ends before the colon
  EXPECT_FALSE(layout_target_met(113, 110, 76, 0, 0));  // seven whole 11-row lines
  EXPECT_TRUE(layout_target_met(42, 36, 36, 36, 36));   // thumbnail slot: as its first
  EXPECT_FALSE(layout_target_met(42, 36, 35, 36, 36));
}

// Pictures at the smallest and at the largest sizes of their targets.
std::vector<Image> target_sizes(bool largest) {
  std::vector<Image> images(picture_count);
  for (int i = 0; i < picture_count; ++i) {
    const LayoutTarget& r = layout_target(i);
    const LayoutTarget& base = r.same_size_as >= 0 ? layout_target(r.same_size_as) : r;
    const int w = largest && base.max_width > 0 ? base.max_width : base.min_width;
    const int h = largest && base.max_height > 0 ? base.max_height : base.min_height;
    images[i] = {nullptr, w, h};
  }
  return images;
}

TEST(PictureLayout, TargetsMeetTheShowsNeeds) {
  for (bool largest : {false, true}) {
    SCOPED_TRACE(largest ? "largest" : "smallest");
    const std::vector<Image> images = target_sizes(largest);
    EXPECT_EQ(first_layout_miss(images), -1);
    EXPECT_EQ(picture_size_check(images), "");
  }
}

TEST(PictureLayout, FirstMissFindsTheOffender) {
  std::vector<Image> images = target_sizes(false);
  images[219].width += 1;  // a mixer that no longer matches the slot's first
  EXPECT_EQ(first_layout_miss(images), 219);
  images[16].height -= 1;  // a traffic photograph smaller than image 15
  EXPECT_EQ(first_layout_miss(images), 16);
}

}  // namespace
