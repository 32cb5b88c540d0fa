#include <gtest/gtest.h>

#include <string>

#include "show/data_folder.h"
#include "show/show_files.h"

namespace {

TEST(ShowFiles, TheDataFolderKeepsTheTablesPathsAndOthersPutTheNamesUnderIt) {
  const ShowFiles here("data");
  const ShowFiles there("/opt/sava/share/sava/data/");
  for (int32_t i = 0; i < picture_count; ++i) {
    EXPECT_STREQ(here.picture_paths()[i], picture_paths[i]);
    EXPECT_EQ(std::string("/opt/sava/share/sava/") + picture_paths[i], there.picture_paths()[i]);
  }
  EXPECT_EQ(here.picture_paths()[picture_count], nullptr);
  EXPECT_EQ(there.picture_paths()[picture_count], nullptr);
  EXPECT_STREQ(here.soundtrack_path(), soundtrack_path);
  EXPECT_STREQ(there.soundtrack_path(), "/opt/sava/share/sava/data/rinnu.mp3");
  EXPECT_STREQ(ShowFiles("/").soundtrack_path(), "/rinnu.mp3");
  EXPECT_EQ(find_data_folder("given/folder"), "given/folder");
}

}  // namespace
