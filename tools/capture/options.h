// Command line of the offline renderer.
#pragma once

#include <cstdint>
#include <string>

#include "base/option_table.h"
#include "show/capture_plan.h"

// The frames (--from, --to, --fps) and what is done with them.
struct CaptureOptions : CapturePlan {
  std::string raw_path;     // "-" for standard output
  std::string frames_dir;
  std::string wav_path;
  std::string video_path;
  int32_t scale = 1;  // the video and the frames' files: N times larger
  bool null_output = false;
  std::string sheet_path;
  bool stats = false;
  bool reduce_flashing = false;  // the show with reduced flashing
  std::string data_dir;  // empty: found as the player finds it
  bool help = false;     // print capture_help_text() and end
};

inline constexpr const char* capture_usage =
    "usage: sava-capture [--from MS] [--to MS] [--fps N[/D]] [--data DIR] [--raw FILE|-] [--frames DIR] "
    "[--wav FILE|-] [--video FILE.mp4|-] [--scale N] [--null] [--sheet FILE.png|-] [--stats] [--reduce-flashing]";

// The options, one entry each, from which the parser and the help are made.
using CaptureOption = Option<CaptureOptions>;
extern const CaptureOption capture_option_table[];
extern const int capture_option_count;

// What --help prints: the usage, then the options (ends with a newline).
std::string capture_help_text();

// Parses the arguments after the program name; refused with a one-line
// reason. With --help anywhere an option can stand the help wins over any
// error.
Result<CaptureOptions> parse_capture_options(int argc, const char* const* argv);
