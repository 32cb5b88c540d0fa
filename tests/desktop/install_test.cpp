// The installed tree: `cmake --install` into a fresh prefix lays out the
// programs, the data, the desktop entry and the manual pages, and the
// installed programs find their data from any working folder, also once the
// tree has been moved elsewhere.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// True once the recording holds a sample that is not silence: the pictures
// are loaded and the show has started.
bool sound_started(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
    if (*it != 0) return true;
  }
  return false;
}

std::vector<std::pair<std::string, std::string>> headless_env(const std::string& audio_file) {
  std::vector<std::pair<std::string, std::string>> env = {
      {"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", audio_file}};
  // Only read by programs built with the leak checker.
  const char* lsan = std::getenv("LSAN_OPTIONS");
  env.emplace_back("LSAN_OPTIONS", std::string(lsan != nullptr ? lsan : "") +
                                       ":suppressions=" SAVA_SOURCE_DIR "/tests/e2e/lsan_suppressions.txt");
  return env;
}

TEST(InstalledTree, ProgramsFindTheInstalledDataFromAnEmptyFolder) {
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
                           "share/man/man1/sava-capture.1", "share/man/man1/sava-assets.1"}) {
    EXPECT_TRUE(fs::is_regular_file(prefix + "/" + file)) << file;
  }

  // The player, started headless from an empty folder, plays until it is
  // told to stop.
  const std::string empty = root.path() + "/empty";
  fs::create_directory(empty);
  const std::string audio = root.path() + "/audio.raw";
  ChildLaunch play;
  play.program = prefix + "/bin/sava";
  play.args = {"--windowed"};
  play.working_dir = empty;
  play.env = headless_env(audio);
  play.signal = SIGTERM;
  play.signal_when = [&] { return sound_started(audio); };
  play.timeout_ms = 120000;
  const ChildRun played = run_child(play);
  ASSERT_FALSE(played.timed_out) << played.err;
  ASSERT_TRUE(played.exited) << "killed by signal " << played.term_signal << "\n" << played.err;
  EXPECT_EQ(played.exit_status, 0) << played.err;
  EXPECT_EQ(played.err.find("Couldn't"), std::string::npos) << played.err;

  // Moved elsewhere, the tree still finds its data beside its programs.
  const std::string moved = root.path() + "/moved";
  fs::rename(prefix, moved);
  ChildLaunch capture;
  capture.program = moved + "/bin/sava-capture";
  capture.args = {"--to", "100", "--null"};
  capture.working_dir = empty;
  capture.env = headless_env(audio);
  const ChildRun captured = run_child(capture);
  ASSERT_TRUE(captured.exited) << captured.err;
  EXPECT_EQ(captured.exit_status, 0) << captured.err;
  EXPECT_TRUE(fs::is_empty(empty));
}

}  // namespace
