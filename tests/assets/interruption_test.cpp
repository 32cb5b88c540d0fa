// The asset generator ended early, in every way a signal can end it: the
// files it had finished are whole, the ones it had not are nowhere, and the
// soundtrack of an earlier run survives a run that did not finish its own.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/files.h"
#include "stale_parts.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// A temporary file in `dir` other than `except`.
bool has_temporary_file(const fs::path& dir, const std::string& except = "") {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".part") != std::string::npos && name != except) return true;
  }
  return false;
}

TEST(AssetsInterrupted, EarlierSoundtrackSurvivesAndNoTemporaryFileStays) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    ScratchDir dir;
    const fs::path data = fs::path(dir.path()) / "data";
    fs::create_directories(data);
    const std::vector<uint8_t> earlier = {'a', 'n', ' ', 'o', 'l', 'd', ' ', 'r', 'u', 'n'};
    write_file(data / "rinnu.mp3", earlier);
    // Left by a run that was killed outright (no such process runs).
    const std::string stale = "yrh.png.part999999999";
    write_file(data / stale, {'t', 'o', 'r', 'n'});

    ChildLaunch launch;
    launch.program = SAVA_ASSETS_EXE;
    launch.args = {dir.path()};
    launch.working_dir = dir.path();
    launch.signal = signal;
    // Ready once the run is writing: a temporary file of its own exists.
    launch.signal_when = [data, stale] { return has_temporary_file(data, stale); };
    const ChildRun run = run_child(launch);
    ASSERT_FALSE(run.timed_out);
    EXPECT_FALSE(run.exited) << run.err;
    EXPECT_EQ(run.term_signal, signal);
    EXPECT_TRUE(read_file(data / "rinnu.mp3") == earlier);
    EXPECT_FALSE(has_temporary_file(data));
  }
}

// Only the generator's own leftovers go: its output names, of processes
// that no longer run (no process has an id near a thousand million).
TEST(AssetsLeftovers, OnlyTheGeneratorsOwnTemporaryFilesOfEndedRunsAreRemoved) {
  const std::string live = std::to_string(::getppid());
  const struct {
    std::string name;
    bool removed;
  } files[] = {
      {"yrh.png.part999999999", true},
      {"rinnu.mp3.part999999998", true},
      {"thesis.part99999", false},
      {"backup.part1234567", false},
      {"notes.png.part999999999", false},  // not a name the generator writes
      {"yrh.png.part" + live, false},       // a run that is still going
      {"yrh.png.partial", false},
      {"yrh.png.part", false},
      {"yrh.png", false},
  };
  ScratchDir dir;
  for (const auto& file : files) write_file(dir.file(file.name), {'x'});
  assets::remove_stale_parts(dir.path());
  for (const auto& file : files) EXPECT_EQ(fs::exists(dir.file(file.name)), !file.removed) << file.name;
}

}  // namespace
