#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/show_fixture.h"
#include "support/child_process.h"
#include "options.h"

namespace {

struct CaptureRun {
  int status = -1;  // exit status, or 128 + signal
  std::string err;
  std::vector<uint8_t> out;
};

// Runs sava-capture in `dir` with `args`; sends `signal` once the file
// `signal_when_exists` has grown past a thousand sound frames, if a signal
// is given (or after a minute at most).
CaptureRun capture(const std::string& dir, std::vector<std::string> args, int signal = 0,
                   const std::string& signal_when_exists = "") {
  ChildLaunch launch;
  launch.program = SAVA_CAPTURE_EXE;
  launch.args = std::move(args);
  launch.working_dir = dir;
  launch.signal = signal;
  launch.timeout_ms = 600000;
  if (signal != 0) {
    const std::string watched = dir + "/" + signal_when_exists;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    launch.signal_when = [watched, deadline] {
      std::error_code ec;
      const auto size = std::filesystem::file_size(watched, ec);
      return (!ec && size > 44 * 1000) || std::chrono::steady_clock::now() > deadline;
    };
  }
  const ChildRun done = run_child(launch);
  CaptureRun run;
  run.status = done.exited ? done.exit_status : 128 + done.term_signal;
  run.err = done.err;
  run.out.assign(done.out.begin(), done.out.end());
  return run;
}

std::vector<uint32_t> words_of(const std::vector<uint8_t>& bytes) {
  std::vector<uint32_t> words(bytes.size() / 4);
  std::memcpy(words.data(), bytes.data(), words.size() * 4);
  return words;
}

constexpr size_t frame_words = 400 * 300;

class Capture : public ::testing::Test {
 protected:
  void SetUp() override { write_show_data(dir_.path(), fixture_soundtrack()); }
  std::string path(const std::string& name) const { return dir_.path() + "/" + name; }
  ScratchDir dir_;
};

TEST(CaptureOptions, ParsesRatesAndRefusesBadArguments) {
  std::string error;
  const char* fractional[] = {"--fps", "60000/1001", "--from", "1000", "--null"};
  auto o = parse_capture_options(5, fractional, &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(capture_frame_time(*o, 0), 1000);
  EXPECT_EQ(capture_frame_time(*o, 1), 1016);  // 1001000 / 60000 = 16.68
  EXPECT_EQ(capture_frame_time(*o, 60), 2001);
  const std::vector<std::vector<const char*>> bad = {
      {},                                    // no output
      {"--null", "--fps", "0"},              // below one frame per second
      {"--null", "--fps", "1001"},           // above a thousand
      {"--null", "--fps", "30/0"},
      {"--null", "--from", "-5"},
      {"--null", "--from", "5000", "--to", "5000"},
      {"--null", "--bogus"},
      {"--raw"},
      {"--video", "x.mp4", "--scale", "0"},
  };
  for (const auto& args : bad) {
    EXPECT_FALSE(parse_capture_options(static_cast<int>(args.size()), args.data(), &error)) << args.size();
  }
}

TEST_F(Capture, BadArgumentsGiveUsageAndStatusTwo) {
  const CaptureRun run = capture(dir_.path(), {"--fps", "abc", "--null"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("usage: sava-capture"), std::string::npos) << run.err;
}

TEST_F(Capture, MissingDataGivesThePlayersMessages) {
  std::filesystem::remove(path("data/rinnu.mp3"));
  CaptureRun run = capture(dir_.path(), {"--null"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Couldn't open MP3 file data/rinnu.mp3\n");
  write_file(path("data/rinnu.mp3"), fixture_soundtrack());
  std::filesystem::remove(path("data/helsinki.png"));
  run = capture(dir_.path(), {"--null"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Couldn't load data/helsinki.png\n");
}

TEST_F(Capture, TwoRunsGiveIdenticalBytes) {
  for (const char* name : {"a", "b"}) {
    const CaptureRun run = capture(dir_.path(), {"--to", "3000", "--fps", "25", "--raw", std::string(name) + ".raw",
                                          "--wav", std::string(name) + ".wav"});
    ASSERT_EQ(run.status, 0) << run.err;
  }
  const auto raw = read_file(path("a.raw"));
  EXPECT_EQ(raw.size(), 75 * frame_words * 4);
  EXPECT_EQ(raw, read_file(path("b.raw")));
  const auto wav = read_file(path("a.wav"));
  EXPECT_EQ(wav.size(), 44 + 3 * 44100 * 4u);
  EXPECT_EQ(wav, read_file(path("b.wav")));
}

TEST_F(Capture, EndScreenOpensWhiteAndTheEndedShowRepeatsItsLastFrame) {
  CaptureRun run = capture(dir_.path(), {"--from", "176000", "--to", "176001", "--raw", "-"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto first = words_of(run.out);
  ASSERT_EQ(first.size(), frame_words);
  for (uint32_t w : first) ASSERT_EQ(w, 0xFFFFFFFFu);

  run = capture(dir_.path(), {"--from", "183980", "--to", "184100", "--fps", "50", "--raw", "tail.raw"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto frames = words_of(read_file(path("tail.raw")));
  ASSERT_EQ(frames.size(), 6 * frame_words);  // 183980 .. 184080
  for (size_t f = 1; f < 6; ++f) {
    EXPECT_TRUE(std::equal(frames.begin(), frames.begin() + frame_words, frames.begin() + f * frame_words)) << f;
  }
}

TEST_F(Capture, SoundIsSampleAligned) {
  const std::vector<uint8_t> reference = reference_decode(path("data/rinnu.mp3"));
  ASSERT_GT(reference.size(), 44100u * 4);
  CaptureRun run = capture(dir_.path(), {"--to", "500", "--fps", "10", "--wav", "start.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  auto wav = read_file(path("start.wav"));
  ASSERT_EQ(wav.size(), 44 + 22050 * 4u);
  EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), reference.begin()));

  run = capture(dir_.path(), {"--from", "250", "--to", "750", "--fps", "10", "--wav", "middle.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  wav = read_file(path("middle.wav"));
  ASSERT_EQ(wav.size(), 44 + 22050 * 4u);
  const size_t offset = 11025 * 4;  // 250 ms into the music
  EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), reference.begin() + offset));
}

TEST_F(Capture, FramesAndSheetAreWritten) {
  const CaptureRun run = capture(dir_.path(), {"--from", "7900", "--to", "9100", "--fps", "1", "--frames", "frames",
                                        "--sheet", "sheet.png", "--stats"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(path("frames/t0007900.png")));
  EXPECT_TRUE(std::filesystem::exists(path("frames/t0008900.png")));
  EXPECT_TRUE(std::filesystem::exists(path("sheet.png")));
  const auto stats = run.out;
  EXPECT_NE(std::string(stats.begin(), stats.end()).find("median"), std::string::npos);
}

TEST_F(Capture, InterruptFinishesTheWavCleanly) {
  const CaptureRun run = capture(dir_.path(), {"--fps", "1000", "--wav", "cut.wav", "--null"}, SIGINT, "cut.wav");
  EXPECT_EQ(run.status, 130) << run.err;
  const auto wav = read_file(path("cut.wav"));
  ASSERT_GE(wav.size(), 44u);
  const uint32_t data_bytes = wav[40] | wav[41] << 8 | wav[42] << 16 | static_cast<uint32_t>(wav[43]) << 24;
  EXPECT_EQ(data_bytes, wav.size() - 44);
  EXPECT_LT(wav.size(), 44 + 184u * 44100 * 4);
}

TEST_F(Capture, WholeShowEndsAtItsLastCue) {
  const CaptureRun run = capture(dir_.path(), {"--to", "184001", "--fps", "4", "--null", "--stats"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto out = run.out;
  const std::string stats(out.begin(), out.end());
  // Every scene and the end of the show appear in the per-cue table.
  EXPECT_NE(stats.find("\n  24 "), std::string::npos) << stats;
  EXPECT_NE(stats.find("\n  25 "), std::string::npos) << stats;
}

TEST_F(Capture, VideoHasTheRightLengthRateAndSound) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1 && command -v ffprobe >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ffmpeg is not installed";
  }
  const CaptureRun run = capture(dir_.path(), {"--from", "8000", "--to", "10000", "--fps", "30", "--video", "clip.mp4",
                                        "--scale", "2"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string probe = "ffprobe -v error -show_entries stream=codec_type,r_frame_rate,width:format=duration "
                            "-of default=noprint_wrappers=1 " + path("clip.mp4") + " > " + path("probe.txt");
  ASSERT_EQ(std::system(probe.c_str()), 0);
  const auto text_bytes = read_file(path("probe.txt"));
  const std::string text(text_bytes.begin(), text_bytes.end());
  EXPECT_NE(text.find("codec_type=video"), std::string::npos) << text;
  EXPECT_NE(text.find("codec_type=audio"), std::string::npos) << text;
  EXPECT_NE(text.find("r_frame_rate=30/1"), std::string::npos) << text;
  EXPECT_NE(text.find("width=800"), std::string::npos) << text;
  const size_t at = text.find("duration=");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NEAR(std::atof(text.c_str() + at + 9), 2.0, 0.1) << text;
}

}  // namespace
