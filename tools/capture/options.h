// Command line of the offline renderer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct CaptureOptions {
  int64_t from_ms = 0;
  int64_t to_ms = 184000;
  int64_t fps_num = 60;  // frames per second: fps_num / fps_den
  int64_t fps_den = 1;
  std::string raw_path;     // "-" for standard output
  std::string frames_dir;
  std::string wav_path;
  std::string video_path;
  int32_t video_scale = 1;
  bool null_output = false;
  std::string sheet_path;
  bool stats = false;
};

inline constexpr const char* capture_usage =
    "usage: sava-capture [--from MS] [--to MS] [--fps N[/D]] [--raw FILE|-] [--frames DIR] [--wav FILE] "
    "[--video FILE.mp4 [--scale N]] [--null] [--sheet FILE.png] [--stats]";

// Parses the arguments after the program name. On error returns nothing and
// sets `error` to a one-line reason.
std::optional<CaptureOptions> parse_capture_options(int argc, const char* const* argv, std::string* error);

// Show time of frame i: from + (i * 1000 * D) / N in 64-bit integers.
inline int64_t capture_frame_time(const CaptureOptions& o, int64_t i) {
  return o.from_ms + (i * 1000 * o.fps_den) / o.fps_num;
}
