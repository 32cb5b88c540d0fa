#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "music/soundtrack.h"
#include "player_run.h"
#include "show_fixture.h"

namespace {

// A headless launch in `dir`: no display, sound written to a file.
PlayerLaunch headless(const std::string& dir) {
  PlayerLaunch launch;
  launch.working_dir = dir;
  launch.env = {{"SDL_VIDEODRIVER", "dummy"},
                {"SDL_AUDIODRIVER", "disk"},
                {"SDL_DISKAUDIOFILE", dir + "/audio.raw"}};
  // Only read by a player built with the leak checker.
  const char* lsan = std::getenv("LSAN_OPTIONS");
  launch.env.emplace_back("LSAN_OPTIONS", std::string(lsan != nullptr ? lsan : "") +
                                              ":suppressions=" SAVA_SOURCE_DIR "/tests/e2e/lsan_suppressions.txt");
  return launch;
}

void set_env(PlayerLaunch& launch, const std::string& name, const std::string& value) {
  for (auto& [n, v] : launch.env) {
    if (n == name) v = value;
  }
}

// A start-up failure: a normal exit with status 1 whose last line on stderr
// is the message (the libraries may have said something before it).
void expect_failure(const PlayerRun& run, const std::string& message) {
  ASSERT_FALSE(run.timed_out);
  ASSERT_TRUE(run.exited) << "killed by signal " << run.term_signal << "\n" << run.stderr_text;
  EXPECT_EQ(run.exit_status, 1) << run.stderr_text;
  const auto lines = lines_of(run.stderr_text);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), message) << run.stderr_text;
}

std::string soundtrack_message(SoundtrackError error) { return SoundtrackResult{error}.message("data/rinnu.mp3"); }

TEST(PlayerStartup, MissingSoundtrackIsNamed) {
  ScratchDir dir;
  write_show_data(dir.path(), {});
  expect_failure(run_player(headless(dir.path())), "Couldn't open MP3 file data/rinnu.mp3");
}

TEST(PlayerStartup, UnplayableSoundtracksAreRefusedWithTheirReason) {
  ScratchDir dir;
  write_show_data(dir.path(), {});
  write_file(dir.path() + "/data/rinnu.mp3", std::vector<uint8_t>(5000, 0x55));
  expect_failure(run_player(headless(dir.path())), soundtrack_message(SoundtrackError::no_audio));
  write_file(dir.path() + "/data/rinnu.mp3", {});
  expect_failure(run_player(headless(dir.path())), soundtrack_message(SoundtrackError::no_audio));
  // Sound at another rate would play at the wrong speed.
  write_file(dir.path() + "/data/rinnu.mp3", encode_mp3(0.5, 48000));
  expect_failure(run_player(headless(dir.path())), soundtrack_message(SoundtrackError::bad_format));
}

TEST(PlayerStartup, MissingPictureIsNamed) {
  ScratchDir dir;
  write_show_data(dir.path(), fixture_soundtrack(), {0});
  expect_failure(run_player(headless(dir.path())), "Couldn't load data/convexa.png");
}

TEST(PlayerStartup, FirstUnreadablePictureInTableOrderIsNamed) {
  ScratchDir dir;
  // Index 100 is missing and index 150 is garbage: the first one stops it.
  write_show_data(dir.path(), fixture_soundtrack(), {100});
  write_file(dir.path() + "/data/basement11.jpg", std::vector<uint8_t>(3000, 0xAB));
  expect_failure(run_player(headless(dir.path())), "Couldn't load data/fuel1.jpg");

  // With the missing one back, the corrupt one is refused the same way.
  write_file(dir.path() + "/data/fuel1.jpg", fixture_picture());
  expect_failure(run_player(headless(dir.path())), "Couldn't load data/basement11.jpg");
}

TEST(PlayerStartup, UnknownVideoDriverFailsWithTheLibrarysReason) {
  ScratchDir dir;
  write_show_data(dir.path(), fixture_soundtrack());
  PlayerLaunch launch = headless(dir.path());
  set_env(launch, "SDL_VIDEODRIVER", "no-such-video");
  const PlayerRun run = run_player(launch);
  ASSERT_TRUE(run.exited) << run.stderr_text;
  EXPECT_EQ(run.exit_status, 1);
  const auto lines = lines_of(run.stderr_text);
  ASSERT_FALSE(lines.empty());
  const std::string& last = lines.back();
  const bool init_message = last.rfind("Couldn't initialize SDL: ", 0) == 0;
  const bool mode_message = last.rfind("Couldn't set 400x300x32 video mode: ", 0) == 0;
  EXPECT_TRUE(init_message || mode_message) << run.stderr_text;
}

TEST(PlayerStartup, UnknownAudioDriverFailsToOpenAudio) {
  ScratchDir dir;
  write_show_data(dir.path(), fixture_soundtrack());
  PlayerLaunch launch = headless(dir.path());
  set_env(launch, "SDL_AUDIODRIVER", "no-such-audio");
  const PlayerRun run = run_player(launch);
  ASSERT_TRUE(run.exited) << run.stderr_text;
  EXPECT_EQ(run.exit_status, 1);
  const auto lines = lines_of(run.stderr_text);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("Couldn't open audio: ", 0), 0u) << run.stderr_text;
  EXPECT_GT(lines.back().size(), std::string("Couldn't open audio: ").size());
}

// Index of the first 4-byte sample frame with any non-zero byte.
size_t first_sound(const std::vector<uint8_t>& pcm) {
  for (size_t i = 0; i + 4 <= pcm.size(); i += 4) {
    if (pcm[i] | pcm[i + 1] | pcm[i + 2] | pcm[i + 3]) return i;
  }
  return pcm.size();
}

// Bytes of sound after the first non-zero one in the recording so far.
size_t recorded_sound(const std::string& path) {
  const std::vector<uint8_t> pcm = read_file(path);
  return pcm.size() - first_sound(pcm);
}

TEST(PlayerRun, TerminatedWindowedRunShutsDownCleanlyAndPlaysTheSoundtrackExactly) {
  ScratchDir dir;
  write_show_data(dir.path(), fixture_soundtrack());
  PlayerLaunch launch = headless(dir.path());
  launch.args = {"--windowed"};
  launch.signal = SIGTERM;
  launch.signal_after_ms = 2000;
  // At least a few device chunks of music must have been played.
  const std::string audio_path = dir.path() + "/audio.raw";
  launch.signal_when = [&] { return recorded_sound(audio_path) >= 6 * 8192; };
  const PlayerRun run = run_player(launch);
  ASSERT_FALSE(run.timed_out) << run.stderr_text;
  ASSERT_TRUE(run.exited) << "killed by signal " << run.term_signal << "\n" << run.stderr_text;
  EXPECT_EQ(run.exit_status, 0) << run.stderr_text;
  EXPECT_EQ(run.stderr_text.find("Couldn't"), std::string::npos) << run.stderr_text;

  // The device may have written silence while it was paused during
  // start-up; from the first sound on, its bytes are the library's own
  // gapless decoding of the file from its first sample.
  const std::vector<uint8_t> played = read_file(audio_path);
  const std::vector<uint8_t> reference = reference_decode(dir.path() + "/data/rinnu.mp3");
  const size_t played_start = first_sound(played);
  const size_t reference_start = first_sound(reference);
  ASSERT_EQ(reference_start, 0u) << "the fixture's sound starts at its first sample";
  ASSERT_LT(played_start, played.size());
  const size_t length = std::min(played.size() - played_start, reference.size());
  ASSERT_GE(length, 6u * 8192u);
  size_t mismatch = length;
  for (size_t i = 0; i < length; ++i) {
    if (played[played_start + i] != reference[i]) {
      mismatch = i;
      break;
    }
  }
  EXPECT_EQ(mismatch, length) << "first differing byte of " << length;
  // Silence before the sound comes in whole frames.
  EXPECT_EQ(played_start % 4, 0u);
}

TEST(PlayerRun, InterruptedFullscreenRunExitsZero) {
  ScratchDir dir;
  write_show_data(dir.path(), fixture_soundtrack());
  PlayerLaunch launch = headless(dir.path());
  launch.signal = SIGINT;
  launch.signal_after_ms = 1500;
  const PlayerRun run = run_player(launch);
  ASSERT_FALSE(run.timed_out) << run.stderr_text;
  ASSERT_TRUE(run.exited) << "killed by signal " << run.term_signal << "\n" << run.stderr_text;
  EXPECT_EQ(run.exit_status, 0) << run.stderr_text;
}

}  // namespace
