// Fixtures for the reliability tests: show data whose every picture meets the
// show's needs, soundtracks encoded on the fly, and running the player or the
// offline renderer as a child process with its output captured.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/scratch_dir.h"

namespace reliability {

struct Size {
  int32_t width;
  int32_t height;
};

// Picture sets the show accepts, each a size for every store index.
enum class PictureSet {
  // The least size the show needs of each picture, but at least 64x24.
  fitting,
  // The least size the show needs, 1x1 where it needs nothing: the tightest
  // rectangles the scenes can meet.
  smallest,
  // Sizes another maker might choose and our generator never does: words
  // larger than their places, a title larger than its bar, keyword
  // photographs of exactly 400x300, traffic photographs of 480x360 (scaled),
  // laptops larger than the first, thumbnails each of its own size, a
  // 150-row strip, an end picture of 640x480.
  roomy,
};

Size picture_size(int32_t index, PictureSet set = PictureSet::fitting);

// A picture set that misses one of the show's needs by one pixel: the
// smallest set, with `sizes` in place of some pictures' sizes, among them
// picture `index`, one pixel narrower or lower than `need` allows (or, for
// a need of an exact width, one pixel wider).
struct ShortPicture {
  int32_t need;  // index into picture_needs()
  int32_t index;
  Size size;     // picture `index`'s size in the set
  std::map<int32_t, Size> sizes;
};

// One such set for every picture of every need and every side the need
// bounds, derived from the table of needs.
std::vector<ShortPicture> short_pictures();

// An RGB picture of the given size with a pattern, as a PNG or (quality 90,
// 4:2:0) JPEG file's bytes.
std::vector<uint8_t> encode_png_picture(int32_t width, int32_t height);
// An 8-bit grey PNG of width x height zero samples, a small file however
// large the picture, whose image data stream holds `extra_rows` more rows than
// the header announces.
std::vector<uint8_t> zero_png(uint32_t width, uint32_t height, uint32_t extra_rows = 0);
std::vector<uint8_t> encode_jpeg_picture(int32_t width, int32_t height);

// Interleaved 16-bit samples of a signal that never repeats within `frames`
// (two sweeps and a ramp), encoded as MP3 at `rate` with `channels`, with a
// LAME info frame (so the decoder trims it to exactly `frames` frames).
std::vector<uint8_t> encode_track(int frames, int rate = 44100, int channels = 2);

std::vector<uint8_t> read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);

using Scratch = ScratchDir;

// Writes `dir`/data/ with all 224 pictures at the sizes of `set` (".jpg"
// paths as JPEGs, ".png" paths as PNGs) and the soundtrack. The files are
// encoded once per process and linked into each directory, so a fresh data
// directory costs little. `replace` maps paths under data/ ("data/fuel1.jpg")
// to the bytes to write there instead; an entry with no bytes leaves the
// file out.
void write_fitting_show_data(const std::string& dir,
                             const std::map<std::string, std::vector<uint8_t>>& replace = {},
                             PictureSet set = PictureSet::fitting);

// The soundtrack every fitting data directory gets: 3 s, 44100 Hz stereo.
const std::vector<uint8_t>& fitting_soundtrack();

struct Launch {
  std::string program;
  std::vector<std::string> args;
  std::string working_dir;
  std::vector<std::pair<std::string, std::string>> env;
  int signal = 0;          // sent after signal_after_ms when non-zero
  int signal_after_ms = 0;
  std::function<bool()> signal_when;  // if set, also wait for this (polled)
  int timeout_ms = 120000;  // then SIGKILL
};

struct Outcome {
  bool exited = false;   // by exit or return (else by a signal)
  int status = -1;       // exit status when exited
  int signal = 0;        // ending signal otherwise
  bool timed_out = false;
  std::string out;       // standard output
  std::string err;       // standard error
};

// Runs the program in its working directory with stdin from /dev/null and
// stdout and stderr captured in files beside that directory.
Outcome run(const Launch& launch);

// Headless environment of the player: dummy video, audio into a file under
// `dir`, and the leak checker's suppressions for a sanitizer build.
std::vector<std::pair<std::string, std::string>> headless_env(const std::string& dir);

}  // namespace reliability
