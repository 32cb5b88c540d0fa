// The player's preview moves end to end: the real player run headless with
// scripted input (dummy video, sound written to a file by the disk audio
// driver), its sound compared with the reference decoding of the track and
// its frames with the offline renderer's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "music/soundtrack.h"
#include "support/child_process.h"
#include "support/files.h"
#include "support/headless.h"
#include "support/picture_variants.h"
#include "support/scratch_dir.h"
#include "support/show_data.h"
#include "support/sound.h"

namespace {

constexpr size_t chunk_bytes = 8192;

struct Played {
  ChildRun run;
  std::vector<uint8_t> sound;
  std::vector<int32_t> start_ms;  // show times the show started at, in turn
  std::vector<int64_t> starts;    // their sample frames
};

// `length` bytes of the endlessly repeated track (`pass`, decoded once) from
// sample frame `first`.
std::vector<uint8_t> track_from(const std::vector<uint8_t>& pass, int64_t first, size_t length) {
  std::vector<uint8_t> out(length);
  size_t at = static_cast<size_t>(first * 4) % pass.size();
  for (uint8_t& byte : out) {
    byte = pass[at];
    at = at + 1 == pass.size() ? 0 : at + 1;
  }
  return out;
}

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    write_show_data(dir_.path());
    pass_ = reference_decode(path("data/rinnu.mp3")).bytes();
    ASSERT_GT(pass_.size(), 44100u * 4);
  }
  std::string path(const std::string& name) const { return dir_.path() + "/" + name; }

  // Runs the player from `from_ms` with `script` as its input; the starts
  // are the one at from_ms and those the player reports after each seek.
  Played play(int32_t from_ms, const std::string& script, const std::vector<std::string>& options = {}) {
    write_file(path("script.txt"), std::vector<uint8_t>(script.begin(), script.end()));
    ChildLaunch launch = headless_launch(SAVA_PLAYER_EXE, dir_.path());
    launch.args = {"--from", std::to_string(from_ms)};
    launch.args.insert(launch.args.end(), options.begin(), options.end());
    launch.env.emplace_back("SAVA_INPUT_SCRIPT", path("script.txt"));
    Played played;
    played.run = run_child(launch);
    played.sound = read_file(headless_audio(dir_.path()));
    played.start_ms.push_back(from_ms);
    for (const std::string& line : message_lines(played.run.err)) {
      int ms = 0;
      if (std::sscanf(line.c_str(), "sava: start at %d ms", &ms) == 1) played.start_ms.push_back(ms);
    }
    for (const int32_t ms : played.start_ms) played.starts.push_back(sample_at_show_time(ms));
    return played;
  }

  // The frame sava-capture draws first when it starts at `ms`.
  std::vector<uint8_t> captured_frame(int32_t ms, const std::vector<std::string>& options = {}) {
    ChildLaunch launch;
    launch.program = SAVA_CAPTURE_EXE;
    launch.args = {"--from", std::to_string(ms), "--to", std::to_string(ms + 1), "--raw", "-"};
    launch.args.insert(launch.args.end(), options.begin(), options.end());
    launch.working_dir = dir_.path();
    const ChildRun run = run_child(launch);
    EXPECT_TRUE(run.exited && run.exit_status == 0) << run.err;
    return std::vector<uint8_t>(run.out.begin(), run.out.end());
  }

  ScratchDir dir_;
  std::vector<uint8_t> pass_;  // one pass of the track, decoded
};

void expect_clean_exit(const ChildRun& run) {
  ASSERT_FALSE(run.timed_out) << run.err;
  ASSERT_TRUE(run.exited) << "killed by signal " << run.term_signal << "\n" << run.err;
  ASSERT_EQ(run.exit_status, 0) << run.err;
}

bool same_bytes(const std::vector<uint8_t>& a, size_t at, const std::vector<uint8_t>& b, size_t length) {
  return at + length <= a.size() && length <= b.size() && std::memcmp(a.data() + at, b.data(), length) == 0;
}

// The sound in `played` after its leading silence is the track from each of
// the starts in turn, every one for a while, the last to the end of the
// recording. A seek's sound begins at a sample frame at or a little before
// the point where the sound stops following the track from the start
// before (the two may agree on a few bytes by chance).
::testing::AssertionResult plays_in_turn(const std::vector<uint8_t>& pass, const Played& played) {
  const std::vector<uint8_t>& sound = played.sound;
  size_t pos = first_sound(sound);
  for (size_t i = 0; i < played.starts.size(); ++i) {
    const std::vector<uint8_t> track = track_from(pass, played.starts[i], sound.size() - pos + 4);
    const size_t skip = i == 0 ? first_sound(track) : 0;  // the track's own leading silence
    size_t j = 0;
    while (pos + j < sound.size() && sound[pos + j] == track[skip + j]) ++j;
    if (i + 1 == played.starts.size()) {
      if (pos + j == sound.size() && j >= 4 * chunk_bytes) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure()
             << "the sound from start " << i << " (sample " << played.starts[i] << ") stops following the track after "
             << j << " bytes of " << sound.size() - pos;
    }
    const std::vector<uint8_t> next = track_from(pass, played.starts[i + 1], chunk_bytes);
    size_t split = 0;
    for (size_t k = j & ~size_t{3}; k >= 4 && k + 256 >= j; k -= 4) {
      if (same_bytes(sound, pos + k, next, std::min(chunk_bytes, sound.size() - pos - k))) {
        split = k;
        break;
      }
    }
    if (split == 0) {
      return ::testing::AssertionFailure() << "after " << j << " bytes of the track from start " << i
                                           << ", the sound is not the track from sample " << played.starts[i + 1];
    }
    pos += split;
  }
  return ::testing::AssertionFailure() << "no starts";
}

TEST(PreviewOptions, MalformedFromIsOneLineAndStatusTwo) {
  ScratchDir dir;
  for (const char* value : {"soon", "-1", "99999999999"}) {
    ChildLaunch launch = headless_launch(SAVA_PLAYER_EXE, dir.path());
    launch.args = {"--windowed", "--from", value};
    const ChildRun run = run_child(launch);
    EXPECT_TRUE(run.exited && run.exit_status == 2) << value << ": " << run.err;
    EXPECT_EQ(message_lines(run.err).size(), 1u) << run.err;
  }
}

TEST_F(Preview, FromStartsTheMusicAtItsSampleAndDrawsTheFirstFrameAsCaptureDoes) {
  // Inside the first scene, there again after the 3 s track has wrapped, on
  // a cue, and inside the first keyword scene (seven cues at once).
  for (const int32_t ms : {2345, 7001, 8000, 50123}) {
    SCOPED_TRACE(ms);
    const Played played = play(ms, "after 0 dump first.raw\nat " + std::to_string(ms + 700) + " escape\n");
    expect_clean_exit(played.run);
    EXPECT_TRUE(plays_in_turn(pass_, played));
    EXPECT_EQ(read_file(path("first.raw")), captured_frame(ms));
  }
}

// With reduced flashing the player shows, and dumps, what sava-capture
// writes with it: inside a softened stretch that is not the show's own frame.
TEST_F(Preview, ReducedFlashingShowsWhatCaptureWritesWithIt) {
  const int32_t ms = 120500;
  const Played played = play(ms, "after 0 dump first.raw\nafter 0 dump-presented shown.raw\nafter 1 escape\n",
                             {"--reduce-flashing"});
  expect_clean_exit(played.run);
  const std::vector<uint8_t> reduced = captured_frame(ms, {"--reduce-flashing"});
  EXPECT_EQ(read_file(path("first.raw")), reduced);
  EXPECT_EQ(read_file(path("shown.raw")), reduced);
  EXPECT_NE(reduced, captured_frame(ms));
}

// With pictures unlike ours (the noise set, softened elsewhere and more
// deeply) the player's frames, from before a softened stretch through its
// easing in and on after a seek, are those sava-capture writes at the same
// show times.
TEST_F(Preview, ReducedFlashingWithOtherPicturesShowsWhatCaptureWrites) {
  write_picture_variant(path("noise"), dir_.path(), PictureVariant::noise);
  const std::string data = path("noise/data");
  // That set is softened from 0:22.862, easing in from 0:22.612.
  std::string script;
  for (const int32_t ms : {22550, 22650, 22750, 22850, 22950}) {
    script += "at " + std::to_string(ms) + " dump " + std::to_string(ms) + ".raw\n";
  }
  script += "after 0 right\nat 24100 dump after-seek.raw\nat 24250 dump later.raw\nafter 1 escape\n";
  const Played played = play(22500, script, {"--data", data, "--reduce-flashing"});
  expect_clean_exit(played.run);
  std::map<int32_t, std::string> saved;  // show time: file
  for (const std::string& line : message_lines(played.run.err)) {
    int ms = 0;
    char file[32] = "";
    if (std::sscanf(line.c_str(), "sava: frame at %d ms saved to %31s", &ms, file) == 2) saved[ms] = file;
  }
  ASSERT_EQ(saved.size(), 7u) << played.run.err;

  // Every millisecond of that time, read as it streams.
  const int32_t from = saved.begin()->first, to = saved.rbegin()->first + 1;
  const std::string command = "'" SAVA_CAPTURE_EXE "' --data '" + data + "' --reduce-flashing --fps 1000 --from " +
                              std::to_string(from) + " --to " + std::to_string(to) + " --raw - 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<uint8_t> frame(400 * 300 * 4);
  size_t compared = 0, softened = 0;
  for (int32_t ms = from; ms < to && std::fread(frame.data(), 1, frame.size(), pipe) == frame.size(); ++ms) {
    const auto at = saved.find(ms);
    if (at == saved.end()) continue;
    const std::vector<uint8_t> shown = read_file(path(at->second));
    EXPECT_EQ(shown, frame) << "the frame at " << ms << " ms";
    ++compared;
    softened += ms >= 22612;
  }
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(compared, saved.size());
  EXPECT_GE(softened, 5u);
}

TEST_F(Preview, PauseHandsOutSilenceThenPictureAndSoundGoOnWhereTheSoundStopped) {
  const Played played = play(3000, "at 3300 space\nafter 40 space\nafter 0 trace trace.txt\nat 3800 escape\n");
  expect_clean_exit(played.run);
  int resumed_ms = -1;
  for (const std::string& line : message_lines(played.run.err)) {
    std::sscanf(line.c_str(), "sava: resumed at %d ms", &resumed_ms);
  }
  ASSERT_GE(resumed_ms, 3300) << played.run.err;

  // The first frame after the resume is the paused one's time, give or take
  // a frame: the picture does not skip ahead.
  const std::vector<uint8_t> trace = read_file(path("trace.txt"));
  const std::vector<std::string> times = message_lines(std::string(trace.begin(), trace.end()));
  ASSERT_FALSE(times.empty());
  EXPECT_GE(std::stoi(times[0]), resumed_ms);
  EXPECT_LE(std::stoi(times[0]), resumed_ms + 17);

  // The sound: the track from the start, at least a chunk of silence, then
  // the track on from the very sample it stopped at (nothing heard twice,
  // nothing left out), to the end.
  const std::vector<uint8_t>& sound = played.sound;
  const size_t start = first_sound(sound);
  const std::vector<uint8_t> before = track_from(pass_, played.starts[0], 2 * sound.size());
  const size_t skip = first_sound(before);  // the track's own leading silence
  size_t pos = start;
  while (pos < sound.size() && sound[pos] == before[skip + pos - start]) ++pos;
  pos &= ~size_t{3};
  const size_t silent_from = pos;
  while (pos + 4 <= sound.size() && (sound[pos] | sound[pos + 1] | sound[pos + 2] | sound[pos + 3]) == 0) pos += 4;
  EXPECT_GE(pos - silent_from, chunk_bytes);
  // Where the track stopped: the paused picture went on to that very time.
  const size_t stopped = skip + silent_from - start;
  EXPECT_NEAR(static_cast<double>(stopped * 10 / 1764 + 3000), resumed_ms, 1);
  const std::vector<uint8_t> after(before.begin() + static_cast<std::ptrdiff_t>(stopped), before.end());
  ASSERT_GE(sound.size() - pos, 8 * chunk_bytes);
  EXPECT_TRUE(same_bytes(sound, pos, after, sound.size() - pos))
      << "after the pause the sound does not go on from byte " << stopped << " of the track";
}

TEST_F(Preview, SeeksPlayFromTheirSampleAndDrawWhatCaptureDrawsUnderTheOverlay) {
  // Right from the first scene into the second (both cues fire at once),
  // Left back into the first where it draws random numbers (as a start
  // there does: from the beginning of their sequence), Page Up from the
  // second to the start.
  const Played played = play(7400,
                             "after 0 t\n"
                             "at 7600 right\nafter 1 dump forward.raw\nafter 0 dump-presented forward-shown.raw\n"
                             "at 8700 left\nafter 1 dump back.raw\n"
                             "at 8100 pageup\nafter 1 dump start.raw\n"
                             "at 300 escape\n");
  expect_clean_exit(played.run);
  ASSERT_EQ(played.starts.size(), 4u) << played.run.err;
  EXPECT_EQ(played.start_ms[3], 0);
  EXPECT_TRUE(plays_in_turn(pass_, played));

  const std::vector<std::string> dumps = {"forward.raw", "back.raw", "start.raw"};
  for (size_t i = 0; i < dumps.size(); ++i) {
    const int32_t ms = played.start_ms[i + 1];
    SCOPED_TRACE(dumps[i] + " at " + std::to_string(ms));
    EXPECT_EQ(read_file(path(dumps[i])), captured_frame(ms));
  }

  // The overlay is on the presented picture only, in the top-left corner.
  const std::vector<uint8_t> frame = read_file(path("forward.raw"));
  const std::vector<uint8_t> shown = read_file(path("forward-shown.raw"));
  ASSERT_EQ(shown.size(), frame.size());
  size_t changed = 0;
  for (size_t i = 0; i < frame.size() / 4; ++i) {
    if (std::memcmp(&frame[i * 4], &shown[i * 4], 4) == 0) continue;
    ++changed;
    EXPECT_TRUE(i % 400 >= 4 && i / 400 >= 4 && i / 400 < 4 + 22) << "pixel " << i % 400 << "," << i / 400;
  }
  EXPECT_GT(changed, 1000u);
}

TEST_F(Preview, QuitStillEndsTheShowWhenASeekFollowsItInTheSameFrame) {
  expect_clean_exit(play(1000, "after 2 escape\nafter 0 right\n").run);
}

TEST_F(Preview, LoopNeverPassesTheNextCue) {
  // The first keyword scene runs from 48000 to 52000.
  const Played played = play(51500, "after 0 trace trace.txt\nafter 1 l\nat 48300 escape\n");
  expect_clean_exit(played.run);
  EXPECT_EQ(played.start_ms, (std::vector<int32_t>{51500, 48000}));
  EXPECT_TRUE(plays_in_turn(pass_, played));
  const std::vector<std::string> times = message_lines(std::string(
      reinterpret_cast<const char*>(read_file(path("trace.txt")).data()), read_file(path("trace.txt")).size()));
  ASSERT_FALSE(times.empty());
  int32_t latest = 0;
  for (const std::string& t : times) latest = std::max(latest, static_cast<int32_t>(std::stol(t)));
  EXPECT_LT(latest, 52000);
  EXPECT_NE(std::find(times.begin(), times.end(), "48000"), times.end());
}

}  // namespace
