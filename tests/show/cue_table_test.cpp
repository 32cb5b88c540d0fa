// The show's script: cue times and how overdue cues fire.
#include <gtest/gtest.h>

#include "show_fixture.h"

namespace {

using CueTableTest = ShowFixture;

TEST_F(CueTableTest, CueFiresAtItsOwnTimeNotBefore) {
  run(-5);  // the clock just after re-anchoring
  EXPECT_EQ(show().next_cue, 0);
  run(0);
  EXPECT_EQ(show().next_cue, 1);
  run(23499);  // cues 1 and 2 are overdue, cue 3 is not yet
  EXPECT_EQ(show().next_cue, 3);
  run(23500);
  EXPECT_EQ(show().next_cue, 4);
}

TEST_F(CueTableTest, LateFrameDrawsOnlyTheLastScene) {
  run(0);
  run(23500);  // cues 1, 2 and 3 fire in this frame
  EXPECT_EQ(show().next_cue, 4);
  ASSERT_EQ(list_length(), 4);
  // The title card's first frame: picture 9 copied, one title pixel.
  EXPECT_EQ(screen_pixel(10, 10), pixel(picture(9), 10, 10));
  EXPECT_EQ(screen_pixel(189, 144), pixel(picture(14), 0, 0));
}

}  // namespace
