#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "show/data_folder.h"
#include "show/show_files.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

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
}

// Which folder the show is read from, by what the working folder holds.
TEST(DataFolder, TheWorkingFoldersDataCountsOnlyWithTheSoundtrack) {
  enum class Here { nothing, data_without_soundtrack, data_with_soundtrack, soundtrack_a_folder };
  struct Case {
    const char* what;
    Here here;
    const char* given;
    bool installed;
    const char* expected;  // "INSTALLED": the installed folder
  };
  const Case cases[] = {
      {"the show's data/", Here::data_with_soundtrack, "", true, "data"},
      {"an unrelated data/", Here::data_without_soundtrack, "", true, "INSTALLED"},
      {"a data/ whose soundtrack is a folder", Here::soundtrack_a_folder, "", true, "INSTALLED"},
      {"no data/", Here::nothing, "", true, "INSTALLED"},
      {"nothing installed either", Here::data_without_soundtrack, "", false, "data"},
      {"--data over the show's data/", Here::data_with_soundtrack, "elsewhere", true, "elsewhere"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const std::string installed = dir.file("share/sava/data");
    fs::create_directories(installed);
    if (c.here != Here::nothing) {
      fs::create_directory(dir.file("data"));
      write_file(dir.file("data/notes.txt"), {'x'});
    }
    if (c.here == Here::data_with_soundtrack) write_file(dir.file(soundtrack_path), {'m', 'p', '3'});
    if (c.here == Here::soundtrack_a_folder) fs::create_directory(dir.file(soundtrack_path));
    const WorkingDir here(dir.path());
    const std::string expected = std::string(c.expected) == "INSTALLED" ? installed : c.expected;
    EXPECT_EQ(choose_data_folder(c.given, c.installed ? installed : ""), expected);
  }
}

}  // namespace
