#include <gtest/gtest.h>

#include <set>
#include <string>

#include "show/show_files.h"

namespace {

TEST(PictureTable, HasTheShowsPathsInOrderAndNamesThem) {
  int count = 0;
  while (picture_paths[count] != nullptr) ++count;
  EXPECT_EQ(count, 224);
  EXPECT_STREQ(picture_paths[0], "data/convexa.png");
  EXPECT_STREQ(picture_paths[pic::shipyard1], "data/shipyard1.jpg");
  EXPECT_STREQ(picture_paths[pic::lapinkulta], "data/lapinkulta.jpg");
  EXPECT_STREQ(picture_paths[pic::endscreen], "data/endscreen.png");
  EXPECT_EQ(pic::shipyard1, 4);
  EXPECT_EQ(pic::lapinkulta, 172);
  EXPECT_EQ(pic::endscreen, 223);
  std::set<std::string> distinct;
  int jpg = 0;
  for (int i = 0; i < count; ++i) {
    distinct.insert(picture_paths[i]);
    jpg += std::string(picture_paths[i]).ends_with(".jpg");
  }
  EXPECT_EQ(distinct.size(), 224u);
  EXPECT_EQ(jpg, 115);
}

}  // namespace
