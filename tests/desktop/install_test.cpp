// The installed tree: `cmake --install` into a fresh prefix lays out the
// programs, the data, the desktop entry and the manual pages, and the
// installed programs find their data from any working folder (also one with
// a data/ folder of its own, as many a home folder has), also once the tree
// has been moved elsewhere.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/headless.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(InstalledTree, ProgramsFindTheInstalledDataFromAFolderWithAnotherDataFolder) {
  ScratchDir root;
  const std::string prefix = root.path() + "/prefix";
  ChildLaunch install;
  install.program = SAVA_CMAKE_COMMAND;
  install.args = {"--install", SAVA_BINARY_DIR, "--prefix", prefix};
  install.working_dir = root.path();
  const ChildRun installed = run_child(install);
  ASSERT_TRUE(installed.exited && installed.exit_status == 0) << installed.out << installed.err;

  for (const char* file : {"bin/sava", "bin/sava-capture", "bin/sava-assets", "share/sava/data/rinnu.mp3",
                           "share/sava/data/convexa.png", "share/sava/data/endscreen.png",
                           "share/applications/sava.desktop", "share/man/man6/sava.6",
                           "share/man/man1/sava-capture.1", "share/man/man1/sava-assets.1",
                           "bin/sava-flash-check", "share/man/man1/sava-flash-check.1"}) {
    EXPECT_TRUE(fs::is_regular_file(prefix + "/" + file)) << file;
  }

  // The player, started headless from a folder whose data/ is not the
  // show's, plays until it is told to stop.
  const std::string home = root.path() + "/home";
  fs::create_directories(home + "/data/photos");
  // The sound is recorded in root, outside the working folder.
  ChildLaunch play = headless_launch(prefix + "/bin/sava", root.path());
  play.args = {"--windowed"};
  play.working_dir = home;
  play.signal = SIGTERM;
  play.signal_when = once_played(root.path(), 4);
  play.timeout_ms = 120000;
  const ChildRun played = run_child(play);
  ASSERT_FALSE(played.timed_out) << played.err;
  ASSERT_TRUE(played.exited) << "killed by signal " << played.term_signal << "\n" << played.err;
  EXPECT_EQ(played.exit_status, 0) << played.err;
  EXPECT_EQ(played.err.find("Couldn't"), std::string::npos) << played.err;

  // Moved elsewhere, the tree still finds its data beside its programs.
  const std::string moved = root.path() + "/moved";
  fs::rename(prefix, moved);
  ChildLaunch capture = headless_launch(moved + "/bin/sava-capture", root.path());
  capture.args = {"--to", "100", "--null"};
  capture.working_dir = home;
  const ChildRun captured = run_child(capture);
  ASSERT_TRUE(captured.exited) << captured.err;
  EXPECT_EQ(captured.exit_status, 0) << captured.err;
  // Nothing written there: the folder holds its data/photos/ alone.
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(home), fs::recursive_directory_iterator()), 2);
}

}  // namespace
