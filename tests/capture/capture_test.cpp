#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "image/picture_load.h"
#include "options.h"
#include "show/show_scale.h"
#include "support/child_process.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/show_data.h"
#include "support/sound.h"

namespace {

struct CaptureRun {
  int status = -1;  // exit status, or 128 + signal
  std::string err;
  std::vector<uint8_t> out;
};

// Runs sava-capture in `dir` with `args` and `env`; sends `signal` once the
// output `signal_when_growing` (under its temporary name while it is being
// written) has grown past a thousand sound frames, if a signal is given.
CaptureRun capture(const std::string& dir, std::vector<std::string> args, int signal = 0,
                   const std::string& signal_when_growing = "",
                   std::vector<std::pair<std::string, std::string>> env = {}) {
  ChildLaunch launch;
  launch.program = SAVA_CAPTURE_EXE;
  launch.args = std::move(args);
  launch.working_dir = dir;
  launch.env = std::move(env);
  launch.signal = signal;
  launch.timeout_ms = 600000;
  if (signal != 0) {
    const std::string prefix = signal_when_growing + ".part";
    launch.signal_when = [dir, prefix] {
      std::error_code ec;
      for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0 && entry.file_size(ec) > 44 * 1000) return true;
      }
      return false;
    };
  }
  const ChildRun done = run_child(launch);
  return {done.status(), done.err, std::vector<uint8_t>(done.out.begin(), done.out.end())};
}

std::vector<uint32_t> words_of(const std::vector<uint8_t>& bytes) {
  std::vector<uint32_t> words(bytes.size() / 4);
  std::memcpy(words.data(), bytes.data(), words.size() * 4);
  return words;
}

constexpr size_t frame_words = 400 * 300;

class Capture : public ::testing::Test {
 protected:
  void SetUp() override { write_show_data(dir_.path()); }
  std::string path(const std::string& name) const { return dir_.path() + "/" + name; }
  ScratchDir dir_;
};

TEST(CaptureOptions, EveryCommandLineMeansWhatItShould) {
  struct Row {
    std::vector<const char*> args;
    std::string error;  // the start of the reason; empty when accepted
    CapturePlan plan = {};
    int32_t scale = 1;
  };
  const Row rows[] = {
      {{"--null"}, "", {0, 184000, 60, 1}},
      {{"--fps", "60000/1001", "--from", "1000", "--null"}, "", {1000, 184000, 60000, 1001}},
      {{"--to", "3000", "--fps", "25", "--raw", "-", "--wav", "a.wav"}, "", {0, 3000, 25, 1}},
      {{"--video", "v.mp4", "--scale", "16", "--data", "d"}, "", {}, 16},
      {{"--frames", "f", "--scale", "3", "--raw", "-"}, "", {}, 3},
      {{"--raw", "-h"}, "", {}},  // a value, not the option
      {{"--bogus", "-h"}, ""},    // help wins
      {{"--fps", "x", "--help"}, ""},
      // Misuse.
      {{}, "no output given"},
      {{"--stats"}, "no output given"},
      {{"--null", "--fps", "0"}, "--fps takes"},
      {{"--null", "--fps", "1001"}, "--fps takes"},
      {{"--null", "--fps", "30/0"}, "--fps takes"},
      {{"--null", "--fps", "60/"}, "--fps takes"},
      {{"--null", "--fps", "+60"}, "--fps takes"},
      {{"--null", "--from", "-5"}, "--from takes milliseconds"},
      {{"--null", "--from", "+5"}, "--from takes"},
      {{"--null", "--from", " 5"}, "--from takes"},
      {{"--null", "--to", "100000001"}, "--to takes"},
      {{"--null", "--from", "5000", "--to", "5000"}, "--to must be later than --from"},
      {{"--null", "--bogus"}, "unknown argument '--bogus'"},
      {{"--raw"}, "--raw needs a value"},
      {{"--raw", ""}, "--raw needs a non-empty value"},
      {{"--null", "--data", ""}, "--data needs a non-empty value"},
      {{"--video", "x.mp4", "--scale", "0"}, "--scale takes a whole number from 1 to 16, not '0'"},
      {{"--video", "x.mp4", "--scale", "17"}, "--scale takes"},
      {{"--video", "x.mp4", "--scale", "+2"}, "--scale takes"},
      {{"--video", "x.mp4", "--scale", " 2"}, "--scale takes"},
      {{"--raw", "-", "--sheet", "s.png", "--wav", "w.wav", "--scale", "2"}, "--scale enlarges the video"},
  };
  for (const Row& row : rows) {
    std::string line;
    for (const char* a : row.args) line += std::string(" '") + a + "'";
    SCOPED_TRACE("sava-capture" + line);
    const Result<CaptureOptions> o = parse_capture_options(static_cast<int>(row.args.size()), row.args.data());
    if (!row.error.empty()) {
      ASSERT_FALSE(o);
      EXPECT_EQ(o.error().rfind(row.error, 0), 0u) << o.error();
      EXPECT_EQ(o.error().find('\n'), std::string::npos);
      continue;
    }
    ASSERT_TRUE(o) << o.error();
    if (o->help) continue;
    EXPECT_EQ(o->from_ms, row.plan.from_ms);
    EXPECT_EQ(o->to_ms, row.plan.to_ms);
    EXPECT_EQ(o->fps_num, row.plan.fps_num);
    EXPECT_EQ(o->fps_den, row.plan.fps_den);
    EXPECT_EQ(o->scale, row.scale);
  }
}

TEST(CaptureOptions, HelpNamesEveryOptionAndTheScaleLimit) {
  const std::string help = capture_help_text();
  EXPECT_EQ(help.rfind(capture_usage, 0), 0u);
  for (int i = 0; i < capture_option_count; ++i) {
    EXPECT_NE(help.find(capture_option_table[i].name), std::string::npos) << capture_option_table[i].name;
  }
  EXPECT_NE(help.find("(1 to " + std::to_string(max_show_scale) + ")"), std::string::npos);
}

TEST_F(Capture, MissingDataGivesThePlayersMessages) {
  std::filesystem::remove(path("data/rinnu.mp3"));
  CaptureRun run = capture(dir_.path(), {"--null"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Couldn't open MP3 file data/rinnu.mp3\n");
  write_file(path("data/rinnu.mp3"), show_soundtrack());
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
  const std::vector<uint8_t> reference = reference_decode(path("data/rinnu.mp3")).bytes();
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

  // Between samples the start is rounded as the player rounds it: 5 ms is
  // sample 220.5, so sample 221 (and 231 ms, 10187.1, sample 10187).
  for (const auto& [from, sample] : {std::pair<const char*, size_t>{"5", 221}, {"231", 10187}}) {
    run = capture(dir_.path(), {"--from", from, "--to", "1000", "--fps", "1", "--wav", "rounded.wav"});
    ASSERT_EQ(run.status, 0) << run.err;
    wav = read_file(path("rounded.wav"));
    ASSERT_EQ(wav.size(), 44 + (44100 - sample) * 4) << from;
    EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), reference.begin() + sample * 4)) << from;
  }
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

TEST_F(Capture, ScaledFramesAreTheRawFrameEachPixelASharpBlock) {
  const CaptureRun run = capture(dir_.path(), {"--from", "7900", "--to", "7901", "--raw", "r.raw", "--frames", "f",
                                               "--scale", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<uint32_t> raw = words_of(read_file(path("r.raw")));
  ASSERT_EQ(raw.size(), frame_words);
  const PictureResult png = picture_load(path("f/t0007900.png").c_str());
  ASSERT_TRUE(png.ok()) << png.reason;
  ASSERT_EQ(png.image.width, 1200);
  ASSERT_EQ(png.image.height, 900);
  for (int y = 0; y < 900; ++y) {
    for (int x = 0; x < 1200; ++x) {
      ASSERT_EQ(png.image.pixels[y * 1200 + x] & 0xFFFFFFu, raw[(y / 3) * 400 + x / 3] & 0xFFFFFFu) << x << "," << y;
    }
  }
}

// The files in `dir` (names only), sorted.
std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool ffmpeg_installed() {
  return std::system("command -v ffmpeg >/dev/null 2>&1 && command -v ffprobe >/dev/null 2>&1") == 0;
}

TEST_F(Capture, EveryStopSignalFinishesTheOutputsAndLeavesNoTemporaryFile) {
  const std::string tmp = path("tmp");
  std::filesystem::create_directories(tmp);
  struct Case {
    int signal;
    bool video;
  };
  std::vector<Case> cases = {{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGQUIT, false}};
  if (ffmpeg_installed()) cases.push_back({SIGHUP, true});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.signal) + (c.video ? " with video" : ""));
    std::vector<std::string> args = {"--wav", "cut.wav"};
    if (c.video) {
      args.insert(args.end(), {"--to", "30000", "--fps", "25", "--video", "cut.mp4"});
    } else {
      args.insert(args.end(), {"--fps", "1000", "--null"});
    }
    const CaptureRun run = capture(dir_.path(), args, c.signal, "cut.wav", {{"TMPDIR", tmp}});
    EXPECT_EQ(run.status, 128 + c.signal) << run.err;
    const auto wav = read_file(path("cut.wav"));
    ASSERT_GE(wav.size(), 44u);
    const uint32_t data_bytes = wav[40] | wav[41] << 8 | wav[42] << 16 | static_cast<uint32_t>(wav[43]) << 24;
    EXPECT_EQ(data_bytes, wav.size() - 44);
    EXPECT_LT(wav.size(), 44 + 184u * 44100 * 4);
    if (c.video) {
      EXPECT_GT(read_file(path("cut.mp4")).size(), 0u);
    }
    EXPECT_EQ(names_in(tmp), std::vector<std::string>{});
    for (const std::string& name : names_in(dir_.path())) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
  }
}

TEST_F(Capture, UnusableOutputsFailBeforeRenderingAndFailuresLeaveNoPartialFile) {
  // A sheet nobody can write fails before the sound is rendered; a video
  // ffmpeg cannot make fails during the render, and takes the other outputs
  // with it.
  struct Case {
    std::vector<std::string> args;
    std::string message;
    bool needs_ffmpeg;
  };
  const std::vector<Case> cases = {
      {{"--raw", "/nonexistent/x.raw", "--null"}, "sava-capture: /nonexistent/x.raw: No such file or directory\n", false},
      {{"--wav", "w.wav", "--sheet", "/nonexistent/s.png"}, "sava-capture: /nonexistent/s.png: No such file or directory\n",
       false},
      {{"--to", "2000", "--wav", "w.wav", "--sheet", "s.png", "--frames", "f", "--video", "v.unknown"},
       "sava-capture: ffmpeg stopped reading frames: Broken pipe\n", true},
  };
  const std::vector<std::string> before = names_in(dir_.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    if (c.needs_ffmpeg && !ffmpeg_installed()) continue;
    const CaptureRun run = capture(dir_.path(), c.args);
    EXPECT_EQ(run.status, 1);
    ASSERT_GE(run.err.size(), c.message.size());
    EXPECT_EQ(run.err.substr(run.err.size() - c.message.size()), c.message) << run.err;
    std::filesystem::remove_all(path("f"));  // frames made before the failure are whole
    EXPECT_EQ(names_in(dir_.path()), before);
  }
}

// Reads a FIFO on a thread until its writer closes it. A writer that never
// comes is stood in for at the end, through a descriptor held on the FIFO
// itself (its name may have been replaced meanwhile).
class FifoReader {
 public:
  explicit FifoReader(const std::string& path) : hold_(::open(path.c_str(), O_RDONLY | O_NONBLOCK)) {
    reader_ = std::thread([this, path] {
      const int fd = ::open(path.c_str(), O_RDONLY);
      char buffer[65536];
      for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes_.insert(bytes_.end(), buffer, buffer + n);
      if (fd >= 0) ::close(fd);
    });
  }
  ~FifoReader() { finish(); }
  const std::vector<uint8_t>& finish() {
    if (reader_.joinable()) {
      const int writer = ::open(("/proc/self/fd/" + std::to_string(hold_)).c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);
      reader_.join();
      ::close(hold_);
    }
    return bytes_;
  }

 private:
  int hold_;
  std::thread reader_;
  std::vector<uint8_t> bytes_;
};

mode_t file_type(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

bool starts_with(const std::vector<uint8_t>& bytes, const std::string& start) {
  return bytes.size() >= start.size() && std::equal(start.begin(), start.end(), bytes.begin(),
                                                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

// 1000 to 1100 ms at 60 fps: six frames and 4410 sound frames.
constexpr size_t six_frames = 6 * frame_words * 4;
constexpr size_t wav_bytes = 44 + 4410 * 4;

// Every kind of output path: files are replaced under a temporary name, links
// followed to them; devices, FIFOs, descriptors and "-" are written into as
// they are; a folder is refused before anything is rendered (the data here is
// missing, so a refusal after the start-up would name the soundtrack).
TEST_F(Capture, EveryKindOfOutputGetsItsBytesAndKeepsItsKind) {
  struct Case {
    const char* what;
    std::function<bool()> make;  // false: cannot be made here (not root)
    std::vector<std::string> args;
    int status;
    std::string err;
    std::function<void(const CaptureRun&, const std::vector<uint8_t>& fifo)> check;
  };
  const std::string dir = dir_.path();
  auto node = [dir](const char* name, int minor) {
    return [dir, name, minor] { return ::mknod((dir + "/" + name).c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0; };
  };
  auto fifo = [dir](const char* link) {
    return [dir, link] {
      return ::mkfifo((dir + "/fifo").c_str(), 0666) == 0 && (*link == '\0' || ::symlink("fifo", (dir + "/" + link).c_str()) == 0);
    };
  };
  auto link = [dir](const char* name, const char* target) {
    return [dir, name, target] { return ::symlink(target, (dir + "/" + name).c_str()) == 0; };
  };
  auto old_file = [dir](const char* name) {
    return [dir, name] {
      write_file(dir + "/" + name, {'o', 'l', 'd'});
      return true;
    };
  };
  auto kept = [this](const char* name, mode_t type) { EXPECT_EQ(file_type(path(name)), type) << name; };
  const std::vector<std::string> range = {"--from", "1000", "--to", "1100"};
  const std::vector<Case> cases = {
      {"a character device", node("null", 3), {"--raw", "null"}, 0, "",
       [&](const CaptureRun&, const std::vector<uint8_t>&) { kept("null", S_IFCHR); }},
      {"a full device", node("full", 7), {"--wav", "full"}, 1, "sava-capture: full: No space left on device\n",
       [&](const CaptureRun&, const std::vector<uint8_t>&) { kept("full", S_IFCHR); }},
      {"a FIFO", fifo(""), {"--raw", "fifo"}, 0, "",
       [&](const CaptureRun&, const std::vector<uint8_t>& read) {
         EXPECT_EQ(read.size(), six_frames);
         kept("fifo", S_IFIFO);
       }},
      {"a link to a FIFO", fifo("sound"), {"--wav", "sound"}, 0, "",
       [&](const CaptureRun&, const std::vector<uint8_t>& read) {
         EXPECT_EQ(read.size(), wav_bytes);
         EXPECT_TRUE(starts_with(read, "RIFF"));
         kept("sound", S_IFLNK);
         kept("fifo", S_IFIFO);
       }},
      {"a link to a descriptor", link("out", "/proc/self/fd/1"), {"--sheet", "out"}, 0, "",
       [&](const CaptureRun& run, const std::vector<uint8_t>&) {
         EXPECT_TRUE(starts_with(run.out, "\x89PNG"));
         kept("out", S_IFLNK);
       }},
      {"raw frames to -", nullptr, {"--raw", "-"}, 0, "",
       [&](const CaptureRun& run, const std::vector<uint8_t>&) { EXPECT_EQ(run.out.size(), six_frames); }},
      {"sound to -", nullptr, {"--wav", "-"}, 0, "",
       [&](const CaptureRun& run, const std::vector<uint8_t>&) {
         ASSERT_EQ(run.out.size(), wav_bytes);
         EXPECT_EQ(run.out[40] | run.out[41] << 8 | run.out[42] << 16, 4410 * 4);  // the size, told up front
       }},
      {"a sheet to -", nullptr, {"--sheet", "-"}, 0, "",
       [&](const CaptureRun& run, const std::vector<uint8_t>&) { EXPECT_TRUE(starts_with(run.out, "\x89PNG")); }},
      {"a file", old_file("old.raw"), {"--raw", "old.raw"}, 0, "",
       [&](const CaptureRun&, const std::vector<uint8_t>&) { EXPECT_EQ(read_file(path("old.raw")).size(), six_frames); }},
      {"a link to a file", [&] { return old_file("old.wav")() && link("new.wav", "old.wav")(); }, {"--wav", "new.wav"}, 0,
       "",
       [&](const CaptureRun&, const std::vector<uint8_t>&) {
         kept("new.wav", S_IFLNK);
         EXPECT_EQ(read_file(path("old.wav")).size(), wav_bytes);
       }},
      {"a folder", [&] { return std::filesystem::create_directory(path("f.raw")); },
       {"--raw", "f.raw", "--data", "nowhere"}, 1, "sava-capture: f.raw: Is a directory\n", nullptr},
      {"a folder for the video", [&] { return std::filesystem::create_directory(path("f.mp4")); },
       {"--video", "f.mp4", "--data", "nowhere"}, 1, "sava-capture: f.mp4: Is a directory\n", nullptr},
      {"frames without the data", nullptr, {"--frames", "a/b/c", "--data", "nowhere"}, 1,
       "Couldn't open MP3 file nowhere/rinnu.mp3\n",
       [&](const CaptureRun&, const std::vector<uint8_t>&) { EXPECT_FALSE(std::filesystem::exists(path("a"))); }},
  };
  const std::vector<std::string> before = names_in(dir);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.make && !c.make()) {
      if (errno != EPERM) ADD_FAILURE() << "cannot make the output: " << std::strerror(errno);
      continue;  // device nodes need root
    }
    std::optional<FifoReader> reader;
    if (file_type(path("fifo")) == S_IFIFO) reader.emplace(path("fifo"));
    std::vector<std::string> args = range;
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CaptureRun run = capture(dir, args);
    const std::vector<uint8_t> read = reader ? reader->finish() : std::vector<uint8_t>{};
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status != 0) {
      EXPECT_EQ(run.err, c.err);
    }
    if (c.check) c.check(run, read);
    for (const std::string& name : names_in(dir)) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
    for (const std::string& name : names_in(dir)) {
      if (std::find(before.begin(), before.end(), name) == before.end()) std::filesystem::remove_all(path(name));
    }
  }
}

TEST_F(Capture, ClosedReaderOfRawFramesIsReportedAsABrokenPipe) {
  const std::string script = "cd '" + dir_.path() + "' && '" SAVA_CAPTURE_EXE
                             "' --to 2000 --raw - 2> err.txt | head -c 1000 > /dev/null; "
                             "echo ${PIPESTATUS[0]} > status.txt\n";
  write_file(path("reader.sh"), std::vector<uint8_t>(script.begin(), script.end()));
  ASSERT_EQ(std::system(("bash '" + path("reader.sh") + "'").c_str()), 0);
  const auto status = read_file(path("status.txt"));
  EXPECT_EQ(std::string(status.begin(), status.end()), "1\n");
  const auto err = read_file(path("err.txt"));
  EXPECT_EQ(std::string(err.begin(), err.end()), "sava-capture: standard output: Broken pipe\n");
}

TEST_F(Capture, FrameNamesSortInTimeOrderPastTenMillionMilliseconds) {
  const CaptureRun run = capture(dir_.path(), {"--from", "9998000", "--to", "10001000", "--fps", "1", "--frames", "f"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(names_in(path("f")), (std::vector<std::string>{"t09998000.png", "t09999000.png", "t10000000.png"}));
}

TEST_F(Capture, LateStartSeeksTheRepeatedSoundtrack) {
  // Near the end of the longest range: the short soundtrack has repeated
  // some ten thousand times. Decoding all that first would take far longer
  // than this test may run.
  const std::vector<uint8_t> reference = reference_decode(path("data/rinnu.mp3")).bytes();
  const CaptureRun run = capture(dir_.path(), {"--from", "99999000", "--to", "100000000", "--fps", "10", "--wav", "late.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto wav = read_file(path("late.wav"));
  ASSERT_EQ(wav.size(), 44 + 44100 * 4u);
  const size_t pass = reference.size() / 4;
  const size_t first = static_cast<size_t>(99999000LL * 441 / 10 % static_cast<long long>(pass));
  for (size_t i = 0; i < 44100; ++i) {
    ASSERT_EQ(std::memcmp(&wav[44 + 4 * i], &reference[4 * ((first + i) % pass)], 4), 0) << "sample frame " << i;
  }
}

TEST_F(Capture, VideoNamesAreTakenAsFileNames) {
  if (!ffmpeg_installed()) GTEST_SKIP() << "ffmpeg is not installed";
  for (const std::string name : {"take:2.mp4", "-h"}) {
    SCOPED_TRACE(name);
    const CaptureRun run = capture(dir_.path(), {"--from", "8000", "--to", "8500", "--video", name});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::system(("ffprobe -v error '" + path(name) + "' > /dev/null").c_str()), 0);
  }
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
  if (!ffmpeg_installed()) GTEST_SKIP() << "ffmpeg is not installed";
  const CaptureRun run = capture(dir_.path(), {"--from", "8000", "--to", "10000", "--fps", "30", "--video", "clip.mp4",
                                        "--scale", "2", "--wav", "clip.wav"});
  ASSERT_EQ(run.status, 0) << run.err;
  // The video's own sound pass leaves the frames' sound as it is.
  const std::vector<uint8_t> reference = reference_decode(path("data/rinnu.mp3")).bytes();
  const auto wav = read_file(path("clip.wav"));
  ASSERT_EQ(wav.size(), 44 + 88200 * 4u);
  const size_t pass = reference.size() / 4;
  for (size_t i = 0; i < 88200; ++i) {
    ASSERT_EQ(std::memcmp(&wav[44 + 4 * i], &reference[4 * ((352800 + i) % pass)], 4), 0) << "sample frame " << i;
  }
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
