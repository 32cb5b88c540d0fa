#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "music/soundtrack.h"
#include "support/files.h"
#include "support/headless.h"
#include "support/scratch_dir.h"
#include "support/show_data.h"
#include "support/sound.h"

namespace {

ChildLaunch headless(const std::string& dir) { return headless_launch(SAVA_PLAYER_EXE, dir); }

void set_env(ChildLaunch& launch, const std::string& name, const std::string& value) {
  for (auto& [n, v] : launch.env) {
    if (n == name) v = value;
  }
}

// A start-up failure: a normal exit with status 1 whose last line on stderr
// is the message (the libraries may have said something before it).
void expect_failure(const ChildRun& run, const std::string& message) {
  ASSERT_FALSE(run.timed_out);
  ASSERT_TRUE(run.exited) << "killed by signal " << run.term_signal << "\n" << run.err;
  EXPECT_EQ(run.exit_status, 1) << run.err;
  const auto lines = message_lines(run.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), message) << run.err;
}

std::string soundtrack_message(SoundtrackError error) { return soundtrack_failure(error, "data/rinnu.mp3").message; }

TEST(PlayerStartup, MissingSoundtrackIsNamed) {
  ScratchDir dir;
  write_show_data(dir.path(), {{"data/rinnu.mp3", {}}});
  expect_failure(run_child(headless(dir.path())), "Couldn't open MP3 file data/rinnu.mp3");
}

TEST(PlayerStartup, UnplayableSoundtracksAreRefusedWithTheirReason) {
  ScratchDir dir;
  write_show_data(dir.path(), {{"data/rinnu.mp3", std::vector<uint8_t>(5000, 0x55)}});
  expect_failure(run_child(headless(dir.path())), soundtrack_message(SoundtrackError::no_audio));
  write_file(dir.file("data/rinnu.mp3"), {});
  expect_failure(run_child(headless(dir.path())), soundtrack_message(SoundtrackError::no_audio));
  // Sound at another rate would play at the wrong speed.
  write_file(dir.file("data/rinnu.mp3"), test_track(24000, {.rate = 48000}));
  expect_failure(run_child(headless(dir.path())), soundtrack_message(SoundtrackError::bad_format));
}

TEST(PlayerStartup, FirstUnreadablePictureInTableOrderIsNamed) {
  ScratchDir dir;
  // The first picture missing.
  write_show_data(dir.path(), {{"data/convexa.png", {}}});
  expect_failure(run_child(headless(dir.path())), "Couldn't load data/convexa.png");

  // Index 100 is missing and index 150 is garbage: the first one stops it.
  ScratchDir two;
  write_show_data(two.path(), {{"data/fuel1.jpg", {}}, {"data/basement11.jpg", std::vector<uint8_t>(3000, 0xAB)}});
  expect_failure(run_child(headless(two.path())), "Couldn't load data/fuel1.jpg");
  // With the missing one back, the corrupt one is refused the same way.
  write_file(two.file("data/fuel1.jpg"), picture_file(100, picture_size(100)));
  expect_failure(run_child(headless(two.path())), "Couldn't load data/basement11.jpg");
}

TEST(PlayerStartup, TheInputScriptHookTakesOnlyASmallRegularFile) {
  // None of these may be waited on, read without end or crash the player:
  // each is one line and status 1 before the window opens.
  ScratchDir dir;
  ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0755), 0);
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
  write_file(dir.file("large.txt"), std::vector<uint8_t>(2 << 20, '#'));
  const struct {
    std::string path;
    std::string reason;
  } rows[] = {
      {dir.file("folder"), "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {dir.file("fifo"), "not a regular file"},
      {dir.file("large.txt"), "larger than 1048576 bytes"},
      {dir.file("missing.txt"), "No such file or directory"},
  };
  for (const auto& row : rows) {
    ChildLaunch launch = headless(dir.path());
    launch.args = {"--windowed"};
    launch.env.emplace_back("SAVA_INPUT_SCRIPT", row.path);
    launch.timeout_ms = 20000;
    expect_failure(run_child(launch), "sava: cannot read the input script " + row.path + ": " + row.reason);
  }
}

TEST(PlayerStartup, UnknownDriversFailWithTheLibrarysReason) {
  ScratchDir dir;
  write_show_data(dir.path());
  ChildLaunch launch = headless(dir.path());
  set_env(launch, "SDL_VIDEODRIVER", "no-such-video");
  ChildRun run = run_child(launch);
  ASSERT_TRUE(run.exited) << run.err;
  EXPECT_EQ(run.exit_status, 1);
  auto lines = message_lines(run.err);
  ASSERT_FALSE(lines.empty());
  const bool init_message = lines.back().rfind("Couldn't initialize SDL: ", 0) == 0;
  const bool mode_message = lines.back().rfind("Couldn't set 400x300x32 video mode: ", 0) == 0;
  EXPECT_TRUE(init_message || mode_message) << run.err;

  launch = headless(dir.path());
  set_env(launch, "SDL_AUDIODRIVER", "no-such-audio");
  run = run_child(launch);
  ASSERT_TRUE(run.exited) << run.err;
  EXPECT_EQ(run.exit_status, 1);
  lines = message_lines(run.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("Couldn't open audio: ", 0), 0u) << run.err;
  EXPECT_GT(lines.back().size(), std::string("Couldn't open audio: ").size());
}

TEST(PlayerRun, TerminatedWindowedRunShutsDownCleanlyAndPlaysTheSoundtrackExactly) {
  ScratchDir dir;
  write_show_data(dir.path());
  ChildLaunch launch = headless(dir.path());
  launch.args = {"--windowed"};
  launch.signal = SIGTERM;
  // Ready once a few device chunks of music have been played.
  launch.signal_when = once_played(dir.path(), 6 * 8192);
  const ChildRun run = run_child(launch);
  ASSERT_FALSE(run.timed_out) << run.err;
  ASSERT_TRUE(run.exited) << "killed by signal " << run.term_signal << "\n" << run.err;
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err.find("Couldn't"), std::string::npos) << run.err;

  // The device may have written silence while it was paused during
  // start-up; from the first sound on, its bytes are the library's own
  // gapless decoding of the file from its first sample.
  const std::vector<uint8_t> played = read_file(headless_audio(dir.path()));
  const std::vector<uint8_t> reference = reference_decode(dir.file("data/rinnu.mp3")).bytes();
  const size_t played_start = first_sound(played);
  ASSERT_EQ(first_sound(reference), 0u) << "the fixture's sound starts at its first sample";
  ASSERT_LT(played_start, played.size());
  const size_t length = std::min(played.size() - played_start, reference.size());
  ASSERT_GE(length, 6u * 8192u);
  const auto mismatch = std::mismatch(reference.begin(), reference.begin() + static_cast<long>(length),
                                      played.begin() + static_cast<long>(played_start));
  EXPECT_EQ(mismatch.first - reference.begin(), static_cast<long>(length)) << "first differing byte of " << length;
  // Silence before the sound comes in whole frames.
  EXPECT_EQ(played_start % 4, 0u);
}

TEST(PlayerRun, InterruptedFullscreenRunExitsZero) {
  ScratchDir dir;
  write_show_data(dir.path());
  ChildLaunch launch = headless(dir.path());
  launch.signal = SIGINT;
  // Ready once the show plays: its sound has begun.
  launch.signal_when = once_played(dir.path(), 1);
  const ChildRun run = run_child(launch);
  ASSERT_FALSE(run.timed_out) << run.err;
  ASSERT_TRUE(run.exited) << "killed by signal " << run.term_signal << "\n" << run.err;
  EXPECT_EQ(run.exit_status, 0) << run.err;
}

}  // namespace
