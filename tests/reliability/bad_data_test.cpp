// Hostile and unusual data under data/, through the real player (headless)
// and the real offline renderer: each either plays, or stops at start-up
// with exit status 1, nothing on standard output and its message as the
// last line on standard error; none crashes, hangs or is killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <png.h>

#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

#include "music/soundtrack.h"
#include "reliability_support.h"
#include "show/picture_needs.h"
#include "show/show_files.h"

namespace {

namespace fs = std::filesystem;
using namespace reliability;

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

// A start-up run: the player is ended by SIGTERM if it gets as far as
// playing; the renderer renders the first 300 ms.
Outcome start(const Program& program, const std::string& dir) {
  Launch launch;
  launch.program = program.path;
  launch.working_dir = dir;
  launch.env = headless_env(dir);
  if (std::strcmp(program.name, "player") == 0) {
    launch.signal = SIGTERM;
    launch.signal_after_ms = 4000;
  } else {
    launch.args = {"--to", "300", "--fps", "10", "--null"};
  }
  launch.timeout_ms = 30000;
  return run(launch);
}

// The lines of standard error, less the two the test environment's disk
// audio driver prints about itself when the audio device is opened.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.rfind("CRITICAL: You are using the SDL disk i/o audio driver!", 0) != 0 &&
        line.rfind("CRITICAL:  Writing to file [", 0) != 0) {
      lines.push_back(line);
    }
    start = end + 1;
  }
  return lines;
}

// A refusal: status 1, nothing on standard output, the message as the last
// line. Before it at most the decoder's reason, on one line naming the file;
// with `one_line` (a file that cannot be read at all) not even that.
void expect_refused(const Outcome& outcome, const std::string& message, const std::string& file,
                    bool one_line = false) {
  ASSERT_FALSE(outcome.timed_out) << outcome.err;
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.signal << "\n" << outcome.err;
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  const auto lines = lines_of(outcome.err);
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
void expect_played(const Outcome& outcome) {
  ASSERT_FALSE(outcome.timed_out) << outcome.err;
  ASSERT_TRUE(outcome.exited) << "ended by signal " << outcome.signal << "\n" << outcome.err;
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err.find("Couldn't"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.err.find("Sanitizer"), std::string::npos) << outcome.err;
}

std::string soundtrack_message(SoundtrackError error) { return SoundtrackResult{error}.message("data/rinnu.mp3"); }

// ---------------------------------------------------------------- files

uint32_t crc32_of(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void put_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, crc32_of(&out[start], out.size() - start));
}

// A PNG whose header claims the size, with a token of image data.
std::vector<uint8_t> png_claiming(uint32_t width, uint32_t height) {
  std::vector<uint8_t> out = {137, 80, 78, 71, 13, 10, 26, 10};
  std::vector<uint8_t> ihdr;
  put32(ihdr, width);
  put32(ihdr, height);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  put_chunk(out, "IHDR", ihdr);
  put_chunk(out, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
  put_chunk(out, "IEND", {});
  return out;
}

// Offset of the first JPEG frame header (SOF0, SOF1 or SOF2) marker.
size_t frame_header(const std::vector<uint8_t>& jpeg) {
  for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC1 || jpeg[i + 1] == 0xC2)) return i;
  }
  ADD_FAILURE() << "no frame header";
  return 0;
}

std::vector<uint8_t> jpeg_claiming(uint16_t width, uint16_t height) {
  std::vector<uint8_t> bytes = encode_jpeg_picture(8, 8);
  const size_t at = frame_header(bytes);
  bytes[at + 5] = static_cast<uint8_t>(height >> 8);
  bytes[at + 6] = static_cast<uint8_t>(height);
  bytes[at + 7] = static_cast<uint8_t>(width >> 8);
  bytes[at + 8] = static_cast<uint8_t>(width);
  return bytes;
}

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
    write_fitting_show_data(dir, {{c.file, c.bytes}});
    return;
  }
  write_fitting_show_data(dir, {{c.file, {}}});
  const std::string path = dir + "/" + c.file;
  if (c.make == Make::empty) write_bytes(path, {});
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
    Scratch dir;
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
  Scratch dir;
  write_fitting_show_data(dir.path());
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
  const std::vector<uint8_t> track = fitting_soundtrack();
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
      {"a picture", file, Make::bytes, encode_png_picture(40, 30), no_audio},
      {"silent WAV", file, Make::bytes, silent_wav(), no_audio},
      {"one sample of music", file, Make::bytes, encode_track(1), no_audio},
      {"22050 Hz", file, Make::bytes, encode_track(22050, 22050, 2), bad_format},
      {"48000 Hz", file, Make::bytes, encode_track(48000, 48000, 2), bad_format},
      {"32000 Hz mono", file, Make::bytes, encode_track(32000, 32000, 1), bad_format},
  });
}

TEST(BadData, UnusablePicturesAreRefused) {
  // One PNG path and one JPEG path, each in the middle of the table.
  const std::string png_file = "data/globalcoverage.png";  // 83: at least 400x300
  const std::string jpeg_file = "data/fuel1.jpg";          // 100: 400 wide, at least 300 high
  const std::vector<uint8_t> png = encode_png_picture(400, 300);
  const std::vector<uint8_t> jpeg = encode_jpeg_picture(400, 300);
  std::vector<uint8_t> png_crc = png;
  png_crc[png.size() / 2] ^= 0x55;
  std::vector<uint8_t> jpeg_no_components = jpeg;
  jpeg_no_components[frame_header(jpeg) + 9] = 0;
  std::vector<uint8_t> jpeg_zero_height = jpeg;
  jpeg_zero_height[frame_header(jpeg) + 5] = 0;
  jpeg_zero_height[frame_header(jpeg) + 6] = 0;
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
      {"mp3 under a jpeg name", jpeg_file, Make::bytes, fitting_soundtrack(), jpeg_message},
  });
}

// ------------------------------------------------- unusual kinds of picture

struct PngJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<uint8_t> out;
};

void append(png_structp png, png_bytep data, png_size_t size) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  job->out.insert(job->out.end(), data, data + size);
}

// A PNG of any colour type, bit depth and interlacing: samples from a pattern,
// a palette of 256 greys-and-colours with some transparency for type 3.
bool write_png_rows(PngJob* job, uint32_t width, uint32_t height, int type, int depth, bool interlaced) {
  if (setjmp(png_jmpbuf(job->png))) return false;
  png_set_write_fn(job->png, job, append, nullptr);
  png_set_IHDR(job->png, job->info, width, height, depth, type,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (type == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> palette(static_cast<size_t>(1) << depth);
    for (size_t i = 0; i < palette.size(); ++i) {
      palette[i] = {static_cast<png_byte>(i * 37), static_cast<png_byte>(255 - i), static_cast<png_byte>(i * 5)};
    }
    png_set_PLTE(job->png, job->info, palette.data(), static_cast<int>(palette.size()));
    std::vector<png_byte> alpha = {0, 64, 128};
    png_set_tRNS(job->png, job->info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
  }
  png_write_info(job->png, job->info);
  const int channels = type == 0 ? 1 : type == 2 ? 3 : type == 3 ? 1 : type == 4 ? 2 : 4;
  const size_t row_bytes = (static_cast<size_t>(width) * channels * depth + 7) / 8;
  std::vector<std::vector<png_byte>> rows(height, std::vector<png_byte>(row_bytes));
  std::vector<png_bytep> pointers;
  for (uint32_t y = 0; y < height; ++y) {
    for (size_t i = 0; i < row_bytes; ++i) rows[y][i] = static_cast<png_byte>(i * 13 + y * 7);
    pointers.push_back(rows[y].data());
  }
  png_write_image(job->png, pointers.data());
  png_write_end(job->png, nullptr);
  return true;
}

std::vector<uint8_t> png_of_kind(uint32_t width, uint32_t height, int type, int depth, bool interlaced) {
  PngJob job;
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  job.info = png_create_info_struct(job.png);
  const bool ok = write_png_rows(&job, width, height, type, depth, interlaced);
  png_destroy_write_struct(&job.png, &job.info);
  EXPECT_TRUE(ok);
  return job.out;
}

TEST(UnusualPictures, EveryKindOfPngPlays) {
  const auto list = programs();
  if (list.empty()) GTEST_SKIP() << "neither the player nor the renderer is part of this build";
  struct Kind {
    const char* name;
    int type, depth;
    bool interlaced;
  };
  const Kind kinds[] = {
      {"grey 1-bit", 0, 1, false},        {"grey 4-bit interlaced", 0, 4, true},
      {"grey 16-bit", 0, 16, false},      {"rgb 16-bit", 2, 16, false},
      {"rgb interlaced", 2, 8, true},     {"palette 2-bit", 3, 2, false},
      {"palette 8-bit interlaced", 3, 8, true}, {"grey+alpha 8-bit", 4, 8, false},
      {"grey+alpha 16-bit interlaced", 4, 16, true}, {"rgba 16-bit", 6, 16, false},
  };
  // Picture 83 is blurred into the back buffer: at least 400x300.
  for (const Kind& kind : kinds) {
    Scratch dir;
    write_fitting_show_data(dir.path(),
                            {{"data/globalcoverage.png", png_of_kind(400, 300, kind.type, kind.depth, kind.interlaced)}});
    SCOPED_TRACE(kind.name);
    // The renderer alone: the loaders are the same in the player.
    const Program& program = list.back();
    expect_played(start(program, dir.path()));
  }
}

// JPEG kinds written through the library: grey, CMYK, progressive,
// arithmetic-coded; the 12-bit file of the third-party test pictures is
// refused with the usual message.
std::vector<uint8_t> jpeg_of_kind(uint32_t width, uint32_t height, int components, J_COLOR_SPACE space,
                                  bool progressive, bool arithmetic) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  if (progressive) jpeg_simple_progression(&cinfo);
  cinfo.arith_code = arithmetic ? TRUE : FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
  while (cinfo.next_scanline < height) {
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<JSAMPLE>(i * 3 + cinfo.next_scanline);
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&cinfo, &pointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

std::string testdata_file(const std::string& name) {
  const fs::path path = fs::path(SAVA_SOURCE_DIR) / ".." / "shared" / "testdata" / name;
  std::error_code error;
  return fs::is_regular_file(path, error) ? path.lexically_normal().string() : std::string();
}

TEST(UnusualPictures, JpegKindsPlayAndTwelveBitIsRefused) {
  const auto list = programs();
  if (list.empty()) GTEST_SKIP() << "neither the player nor the renderer is part of this build";
  const std::string file = "data/fuel1.jpg";  // 100: 400 wide, at least 300 high
  struct Kind {
    const char* name;
    int components;
    J_COLOR_SPACE space;
    bool progressive, arithmetic;
  };
  const Kind kinds[] = {
      {"grey", 1, JCS_GRAYSCALE, false, false},
      {"cmyk", 4, JCS_CMYK, false, false},
      {"progressive colour", 3, JCS_RGB, true, false},
      {"arithmetic-coded colour", 3, JCS_RGB, false, true},
  };
  const Program& program = list.back();
  for (const Kind& kind : kinds) {
    Scratch dir;
    write_fitting_show_data(dir.path(),
                            {{file, jpeg_of_kind(400, 300, kind.components, kind.space, kind.progressive, kind.arithmetic)}});
    SCOPED_TRACE(kind.name);
    expect_played(start(program, dir.path()));
  }
  const std::string twelve = testdata_file("jpeg/monkey12.jpg");
  if (twelve.empty()) GTEST_SKIP() << "no third-party test pictures beside the source tree";
  Scratch dir;
  write_fitting_show_data(dir.path(), {{file, read_bytes(twelve)}});
  for (const Program& p : list) {
    SCOPED_TRACE(std::string(p.name) + ": 12-bit");
    expect_refused(start(p, dir.path()), "Couldn't load " + file, file);
  }
}

TEST(UnusualPictures, PngSuiteCorruptFilesAreRefused) {
  const auto list = programs();
  if (list.empty()) GTEST_SKIP() << "neither the player nor the renderer is part of this build";
  const std::string folder = testdata_file("pngsuite/PngSuite.README");
  if (folder.empty()) GTEST_SKIP() << "no third-party test pictures beside the source tree";
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
    Scratch dir;
    write_fitting_show_data(dir.path(), {{file, read_bytes(path.string())}});
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
    Scratch dir;
    write_fitting_show_data(dir.path(), {}, set);
    for (const Program& program : list) {
      SCOPED_TRACE(std::string(program.name) + ": picture set " + std::to_string(static_cast<int>(set)));
      Launch launch;
      launch.program = program.path;
      launch.working_dir = dir.path();
      launch.env = headless_env(dir.path());
      if (std::strcmp(program.name, "player") == 0) {
        launch.signal = SIGTERM;
        launch.signal_after_ms = 4000;
      } else {
        launch.args = {"--fps", "4", "--null"};
      }
      expect_played(run(launch));
    }
  }

  std::vector<bool> need_done(picture_needs().size(), false);
  for (const ShortPicture& c : short_pictures()) {
    if (need_done[c.need]) continue;
    need_done[c.need] = true;
    std::map<std::string, std::vector<uint8_t>> replace;
    for (const auto& [index, size] : c.sizes) {
      const bool jpeg = std::string(picture_paths[index]).ends_with(".jpg");
      replace[picture_paths[index]] =
          jpeg ? encode_jpeg_picture(size.width, size.height) : encode_png_picture(size.width, size.height);
    }
    Scratch dir;
    write_fitting_show_data(dir.path(), replace, PictureSet::smallest);
    const std::string head = "Picture " + std::string(picture_paths[c.index]) + " is " +
                             std::to_string(c.size.width) + "x" + std::to_string(c.size.height) +
                             " pixels; the show needs ";
    for (const Program& program : list) {
      SCOPED_TRACE(std::string(program.name) + ": " + head);
      const Outcome outcome = start(program, dir.path());
      const auto lines = lines_of(outcome.err);
      EXPECT_EQ(outcome.status, 1) << outcome.err;
      ASSERT_EQ(lines.size(), 1u) << outcome.err;
      EXPECT_EQ(lines[0].rfind(head, 0), 0u) << outcome.err;
    }
  }

  Scratch dir;
  write_fitting_show_data(dir.path(), {{"data/convexa.png", {}}}, PictureSet::smallest);
  for (const Program& program : list) {
    SCOPED_TRACE(std::string(program.name) + ": missing picture");
    expect_refused(start(program, dir.path()), "Couldn't load data/convexa.png", "data/convexa.png", true);
  }
}

}  // namespace
