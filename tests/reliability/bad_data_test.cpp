// Hostile and unusual data under data/, through the real player (headless)
// and the real offline renderer: each either plays, or stops at start-up
// with exit status 1, nothing on standard output and its message as the
// last line on standard error; none crashes, hangs or is killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "music/soundtrack.h"
#include "show/picture_needs.h"
#include "show/show_files.h"
#include "support/files.h"
#include "support/headless.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"
#include "support/show_data.h"
#include "support/sound.h"

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- programs

struct Program {
  const char* name;
  const char* path;
};

std::vector<Program> programs() {
  std::vector<Program> list;
#ifdef SAVA_PLAYER_EXE
  list.push_back({"player", SAVA_PLAYER_EXE});
#endif
#ifdef SAVA_CAPTURE_EXE
  list.push_back({"capture", SAVA_CAPTURE_EXE});
#endif
  return list;
}

// Sound the player has played before it is ended, once it gets that far:
// its first two seconds.
constexpr size_t played_enough = 2 * 44100 * 4;

// A run of `program` in `dir`: the player headless, ended by SIGTERM once it
// has played the first seconds of the show (if it gets as far as playing);
// the renderer with `args`.
ChildLaunch launch_in(const Program& program, const std::string& dir, std::vector<std::string> args) {
  ChildLaunch launch = headless_launch(program.path, dir);
  if (std::strcmp(program.name, "player") == 0) {
    launch.signal = SIGTERM;
    launch.signal_when = once_played(dir, played_enough);
  } else {
    launch.args = std::move(args);
  }
  return launch;
}

// A start-up run: the renderer renders the first 300 ms.
ChildRun start(const Program& program, const std::string& dir) {
  ChildLaunch launch = launch_in(program, dir, {"--to", "300", "--fps", "10", "--null"});
  launch.timeout_ms = 30000;
  return run_child(launch);
}

// A refusal: status 1, nothing on standard output, the message as the last
// line. Before it at most the decoder's reason, on one line naming the file;
// with `one_line` (a file that cannot be read at all) not even that.
void expect_refused(const ChildRun& outcome, const std::string& message, const std::string& file,
                    bool one_line = false) {
  ASSERT_FALSE(outcome.timed_out) << outcome.err;
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.term_signal << "\n" << outcome.err;
  EXPECT_EQ(outcome.exit_status, 1) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  const auto lines = message_lines(outcome.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), message) << outcome.err;
  EXPECT_LE(lines.size(), one_line ? 1u : 2u) << outcome.err;
  if (lines.size() == 2) {
    EXPECT_EQ(lines[0].rfind(file + ": ", 0), 0u) << outcome.err;
  }
  EXPECT_EQ(outcome.err.back(), '\n');
}

// A run that got through start-up: the player ended by the signal with
// status 0, the renderer done with status 0; no message.
void expect_played(const ChildRun& outcome) {
  ASSERT_FALSE(outcome.timed_out) << outcome.err;
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.term_signal << "\n" << outcome.err;
  EXPECT_EQ(outcome.exit_status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err.find("Couldn't"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.err.find("Sanitizer"), std::string::npos) << outcome.err;
}

std::string soundtrack_message(SoundtrackError error) { return soundtrack_failure(error, "data/rinnu.mp3").message; }

// ---------------------------------------------------------------- files

std::vector<uint8_t> cut(std::vector<uint8_t> bytes, size_t keep) {
  bytes.resize(std::min(keep, bytes.size()));
  return bytes;
}

std::vector<uint8_t> text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// A 44-byte WAV header and a second of silence.
std::vector<uint8_t> silent_wav() {
  std::vector<uint8_t> wav = text("RIFF");
  const uint32_t data = 44100 * 4;
  auto le32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) wav.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto le16 = [&](uint16_t v) {
    wav.push_back(static_cast<uint8_t>(v));
    wav.push_back(static_cast<uint8_t>(v >> 8));
  };
  le32(36 + data);
  for (char c : std::string("WAVEfmt ")) wav.push_back(static_cast<uint8_t>(c));
  le32(16), le16(1), le16(2), le32(44100), le32(44100 * 4), le16(4), le16(16);
  for (char c : std::string("data")) wav.push_back(static_cast<uint8_t>(c));
  le32(data);
  wav.resize(wav.size() + data, 0);
  return wav;
}

enum class Make { bytes, missing, empty, directory, fifo };

struct Case {
  std::string name;
  std::string file;  // under the data directory, e.g. "data/fuel1.jpg"
  Make make;
  std::vector<uint8_t> bytes;
  std::string message;
};

void make_data(const std::string& dir, const Case& c) {
  if (c.make == Make::bytes) {
    write_show_data(dir, {{c.file, c.bytes}});
    return;
  }
  write_show_data(dir, {{c.file, {}}});
  const std::string path = dir + "/" + c.file;
  if (c.make == Make::empty) write_file(path, {});
  if (c.make == Make::directory) fs::create_directory(path);
  // A named pipe that no one writes to: opening it to read would wait
  // forever.
  if (c.make == Make::fifo) {
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  }
}

void check_refusals(const std::vector<Case>& cases) {
  const auto list = programs();
  if (list.empty()) GTEST_SKIP() << "neither the player nor the renderer is part of this build";
  for (const Case& c : cases) {
    ScratchDir dir;
    make_data(dir.path(), c);
    const bool unreadable = c.make == Make::missing || c.make == Make::directory || c.make == Make::fifo;
    for (const Program& program : list) {
      SCOPED_TRACE(std::string(program.name) + ": " + c.name);
      expect_refused(start(program, dir.path()), c.message, c.file, unreadable);
    }
  }
}

// ---------------------------------------------------------------- tests

TEST(BadData, FittingDataPlays) {
  const auto list = programs();
  if (list.empty()) GTEST_SKIP() << "neither the player nor the renderer is part of this build";
  ScratchDir dir;
  write_show_data(dir.path());
  for (const Program& program : list) {
    SCOPED_TRACE(program.name);
    expect_played(start(program, dir.path()));
  }
}

TEST(BadData, UnusableSoundtracksAreRefused) {
  const std::string file = "data/rinnu.mp3";
  const std::string cannot_open = soundtrack_message(SoundtrackError::cannot_open);
  const std::string no_audio = soundtrack_message(SoundtrackError::no_audio);
  const std::string bad_format = soundtrack_message(SoundtrackError::bad_format);
  ASSERT_EQ(cannot_open, "Couldn't open MP3 file data/rinnu.mp3");
  const std::vector<uint8_t> track = show_soundtrack();
  std::vector<uint8_t> flipped = track;
  // Every frame header's sync bits broken: no frame can be found.
  for (size_t i = 0; i + 1 < flipped.size(); ++i) {
    if (flipped[i] == 0xFF && (flipped[i + 1] & 0xE0) == 0xE0) flipped[i] = 0x00;
  }
  check_refusals({
      {"missing", file, Make::missing, {}, cannot_open},
      {"directory", file, Make::directory, {}, cannot_open},
      {"named pipe", file, Make::fifo, {}, cannot_open},
      {"empty", file, Make::empty, {}, no_audio},
      {"text", file, Make::bytes, text(std::string(5000, 'x') + " no audio here\n"), no_audio},
      {"only its first 300 bytes", file, Make::bytes, cut(track, 300), no_audio},
      {"frame syncs destroyed", file, Make::bytes, flipped, no_audio},
      {"a picture", file, Make::bytes, png_picture(40, 30), no_audio},
      {"silent WAV", file, Make::bytes, silent_wav(), no_audio},
      {"one sample of music", file, Make::bytes, test_track(1), no_audio},
      {"22050 Hz", file, Make::bytes, test_track(22050, {.rate = 22050}), bad_format},
      {"48000 Hz", file, Make::bytes, test_track(48000, {.rate = 48000}), bad_format},
      {"32000 Hz mono", file, Make::bytes, test_track(32000, {.rate = 32000, .channels = 1}), bad_format},
  });
}

TEST(BadData, UnusablePicturesAreRefused) {
  // One PNG path and one JPEG path, each in the middle of the table.
  const std::string png_file = "data/globalcoverage.png";  // 83: at least 400x300
  const std::string jpeg_file = "data/fuel1.jpg";          // 100: 400 wide, at least 300 high
  const std::vector<uint8_t> png = png_picture(400, 300);
  const std::vector<uint8_t> jpeg = jpeg_picture(400, 300);
  std::vector<uint8_t> png_crc = png;
  png_crc[png.size() / 2] ^= 0x55;
  std::vector<uint8_t> jpeg_no_components = jpeg;
  jpeg_no_components[jpeg_frame_header(jpeg) + 9] = 0;
  std::vector<uint8_t> jpeg_zero_height = jpeg;
  jpeg_zero_height[jpeg_frame_header(jpeg) + 5] = 0;
  jpeg_zero_height[jpeg_frame_header(jpeg) + 6] = 0;
  const std::string png_message = "Couldn't load " + png_file;
  const std::string jpeg_message = "Couldn't load " + jpeg_file;
  const std::vector<uint8_t> gif = text("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!;");
  check_refusals({
      {"missing png", png_file, Make::missing, {}, png_message},
      {"empty png", png_file, Make::empty, {}, png_message},
      {"directory png", png_file, Make::directory, {}, png_message},
      {"named pipe png", png_file, Make::fifo, {}, png_message},
      {"png cut in its image data", png_file, Make::bytes, cut(png, png.size() / 2), png_message},
      {"png signature only", png_file, Make::bytes, cut(png, 8), png_message},
      {"png with a damaged chunk", png_file, Make::bytes, png_crc, png_message},
      {"png claiming 100000x100000", png_file, Make::bytes, png_claiming(100000, 100000), png_message},
      {"png claiming 16384x16384", png_file, Make::bytes, png_claiming(16384, 16384), png_message},
      {"png claiming 4096x4096", png_file, Make::bytes, png_claiming(4096, 4096), png_message},
      {"gif under a png name", png_file, Make::bytes, gif, png_message},
      {"missing jpeg", jpeg_file, Make::missing, {}, jpeg_message},
      {"empty jpeg", jpeg_file, Make::empty, {}, jpeg_message},
      {"jpeg cut in its scan", jpeg_file, Make::bytes, cut(jpeg, jpeg.size() / 2), jpeg_message},
      {"jpeg cut in its headers", jpeg_file, Make::bytes, cut(jpeg, 100), jpeg_message},
      {"jpeg without components", jpeg_file, Make::bytes, jpeg_no_components, jpeg_message},
      {"jpeg of height 0", jpeg_file, Make::bytes, jpeg_zero_height, jpeg_message},
      {"jpeg claiming 65000x65000", jpeg_file, Make::bytes, jpeg_claiming(65000, 65000), jpeg_message},
      {"jpeg claiming 16000x16000", jpeg_file, Make::bytes, jpeg_claiming(16000, 16000), jpeg_message},
      {"text under a jpeg name", jpeg_file, Make::bytes, text("just some words\n"), jpeg_message},
      {"mp3 under a jpeg name", jpeg_file, Make::bytes, show_soundtrack(), jpeg_message},
  });
}

// ------------------------------------------------- unusual kinds of picture

// A PNG of any colour type, bit depth and interlacing: samples from a
// pattern, a palette of colours with some transparency for type 3.
std::vector<uint8_t> png_of_kind(uint32_t width, uint32_t height, PngColour colour, int depth, bool interlaced) {
  PngFormat format{.colour = colour, .bit_depth = depth, .interlaced = interlaced};
  if (colour == PngColour::palette) {
    for (size_t i = 0; i < (size_t{1} << depth); ++i) {
      format.palette.push_back({static_cast<uint8_t>(i * 37), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 5)});
    }
    format.palette_alpha = {0, 64, 128};
  }
  const int channels = colour == PngColour::rgb ? 3 : colour == PngColour::grey_alpha ? 2 : colour == PngColour::rgba ? 4 : 1;
  std::vector<uint16_t> samples;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t i = 0; i < width * channels; ++i) samples.push_back(static_cast<uint16_t>((i * 13 + y * 7) & ((1u << depth) - 1)));
  }
  return encode_png(width, height, format, samples);
}

TEST(UnusualPictures, EveryKindOfPngPlays) {
  const auto list = programs();
  if (list.empty()) GTEST_SKIP() << "neither the player nor the renderer is part of this build";
  struct Kind {
    const char* name;
    PngColour colour;
    int depth;
    bool interlaced;
  };
  using enum PngColour;
  const Kind kinds[] = {
      {"grey 1-bit", grey, 1, false},       {"grey 4-bit interlaced", grey, 4, true},
      {"grey 16-bit", grey, 16, false},     {"rgb 16-bit", rgb, 16, false},
      {"rgb interlaced", rgb, 8, true},     {"palette 2-bit", palette, 2, false},
      {"palette 8-bit interlaced", palette, 8, true}, {"grey+alpha 8-bit", grey_alpha, 8, false},
      {"grey+alpha 16-bit interlaced", grey_alpha, 16, true}, {"rgba 16-bit", rgba, 16, false},
  };
  // Picture 83 is blurred into the back buffer: at least 400x300.
  for (const Kind& kind : kinds) {
    ScratchDir dir;
    write_show_data(dir.path(),
                            {{"data/globalcoverage.png", png_of_kind(400, 300, kind.colour, kind.depth, kind.interlaced)}});
    SCOPED_TRACE(kind.name);
    // The renderer alone: the loaders are the same in the player.
    const Program& program = list.back();
    expect_played(start(program, dir.path()));
  }
}

// JPEG kinds written through the library: grey, CMYK, progressive,
// arithmetic-coded; the 12-bit file of the third-party test pictures is
// refused with the usual message.
std::vector<uint8_t> jpeg_of_kind(uint32_t width, uint32_t height, const JpegFormat& format) {
  const size_t components = format.samples == JpegSamples::grey ? 1 : format.samples == JpegSamples::rgb ? 3 : 4;
  std::vector<uint8_t> samples;
  for (uint32_t y = 0; y < height; ++y) {
    for (size_t i = 0; i < width * components; ++i) samples.push_back(static_cast<uint8_t>(i * 3 + y));
  }
  return encode_jpeg(width, height, format, samples);
}

TEST(UnusualPictures, JpegKindsPlayAndTwelveBitIsRefused) {
  const auto list = programs();
  if (list.empty()) GTEST_SKIP() << "neither the player nor the renderer is part of this build";
  const std::string file = "data/fuel1.jpg";  // 100: 400 wide, at least 300 high
  struct Kind {
    const char* name;
    JpegFormat format;
  };
  const Kind kinds[] = {
      {"grey", {.samples = JpegSamples::grey}},
      {"cmyk", {.samples = JpegSamples::cmyk}},
      {"progressive colour", {.progressive = true}},
      {"arithmetic-coded colour", {.arithmetic = true}},
  };
  const Program& program = list.back();
  for (const Kind& kind : kinds) {
    ScratchDir dir;
    write_show_data(dir.path(),
                            {{file, jpeg_of_kind(400, 300, kind.format)}});
    SCOPED_TRACE(kind.name);
    expect_played(start(program, dir.path()));
  }
  SKIP_WITHOUT_TEST_PICTURES("jpeg/monkey12.jpg");
  const std::string twelve = testdata_path("jpeg/monkey12.jpg");
  ScratchDir dir;
  write_show_data(dir.path(), {{file, read_file(twelve)}});
  for (const Program& p : list) {
    SCOPED_TRACE(std::string(p.name) + ": 12-bit");
    expect_refused(start(p, dir.path()), "Couldn't load " + file, file);
  }
}

TEST(UnusualPictures, PngSuiteCorruptFilesAreRefused) {
  const auto list = programs();
  if (list.empty()) GTEST_SKIP() << "neither the player nor the renderer is part of this build";
  SKIP_WITHOUT_TEST_PICTURES("pngsuite/PngSuite.README");
  const std::string folder = testdata_path("pngsuite/PngSuite.README");
  std::vector<fs::path> corrupt;
  for (const auto& entry : fs::directory_iterator(fs::path(folder).parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name[0] == 'x' && entry.path().extension() == ".png") corrupt.push_back(entry.path());
  }
  std::sort(corrupt.begin(), corrupt.end());
  EXPECT_EQ(corrupt.size(), 14u);
  const std::string file = "data/globalcoverage.png";
  const Program& program = list.back();
  for (const fs::path& path : corrupt) {
    SCOPED_TRACE(path.filename().string());
    ScratchDir dir;
    write_show_data(dir.path(), {{file, read_file(path.string())}});
    expect_refused(start(program, dir.path()), "Couldn't load " + file, file);
  }
}

}  // namespace

namespace {

// Picture sets through the real programs. Sets the scenes accept play: the
// player its first seconds, the renderer the whole show (at 4 frames a
// second, every scene many times). A picture one pixel short of a need, one
// set for each need of the table, or a missing picture, is refused with a
// single line.
TEST(BadData, PictureSetsTheScenesAcceptPlayAndOthersAreRefusedWithOneLine) {
  const auto list = programs();
  if (list.empty()) GTEST_SKIP() << "neither the player nor the renderer is part of this build";
  for (PictureSet set : {PictureSet::smallest, PictureSet::roomy}) {
    ScratchDir dir;
    write_show_data(dir.path(), {}, set);
    for (const Program& program : list) {
      SCOPED_TRACE(std::string(program.name) + ": picture set " + std::to_string(static_cast<int>(set)));
      expect_played(run_child(launch_in(program, dir.path(), {"--fps", "4", "--null"})));
    }
  }

  std::vector<bool> need_done(picture_needs().size(), false);
  for (const ShortPicture& c : short_pictures()) {
    if (need_done[c.need]) continue;
    need_done[c.need] = true;
    std::map<std::string, std::vector<uint8_t>> replace;
    for (const auto& [index, size] : c.sizes) replace[picture_paths[index]] = picture_file(index, size);
    ScratchDir dir;
    write_show_data(dir.path(), replace, PictureSet::smallest);
    const std::string head = "Picture " + std::string(picture_paths[c.index]) + " is " +
                             std::to_string(c.size.width) + "x" + std::to_string(c.size.height) +
                             " pixels; the show needs ";
    for (const Program& program : list) {
      SCOPED_TRACE(std::string(program.name) + ": " + head);
      const ChildRun outcome = start(program, dir.path());
      const auto lines = message_lines(outcome.err);
      EXPECT_EQ(outcome.exit_status, 1) << outcome.err;
      ASSERT_EQ(lines.size(), 1u) << outcome.err;
      EXPECT_EQ(lines[0].rfind(head, 0), 0u) << outcome.err;
    }
  }

  {  // Data found elsewhere (--data): the line names the file where it is.
    const ShortPicture c = short_pictures().front();
    ScratchDir dir;
    ScratchDir elsewhere;
    std::map<std::string, std::vector<uint8_t>> replace;
    for (const auto& [index, size] : c.sizes) replace[picture_paths[index]] = picture_file(index, size);
    write_show_data(dir.path(), replace, PictureSet::smallest);
    for (const Program& program : list) {
      SCOPED_TRACE(std::string(program.name) + ": --data");
      ChildLaunch launch = launch_in(program, elsewhere.path(), {"--to", "300", "--null"});
      launch.args.insert(launch.args.end(), {"--data", dir.file("data")});
      launch.timeout_ms = 30000;
      const ChildRun outcome = run_child(launch);
      EXPECT_EQ(outcome.exit_status, 1) << outcome.err;
      const auto lines = message_lines(outcome.err);
      ASSERT_EQ(lines.size(), 1u) << outcome.err;
      EXPECT_EQ(lines[0].rfind("Picture " + dir.path() + "/" + picture_paths[c.index] + " is ", 0), 0u)
          << outcome.err;
    }
  }

  ScratchDir dir;
  write_show_data(dir.path(), {{"data/convexa.png", {}}}, PictureSet::smallest);
  for (const Program& program : list) {
    SCOPED_TRACE(std::string(program.name) + ": missing picture");
    expect_refused(start(program, dir.path()), "Couldn't load data/convexa.png", "data/convexa.png", true);
  }
}

}  // namespace
