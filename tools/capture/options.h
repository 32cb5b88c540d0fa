// Command line of the offline renderer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "show/capture_plan.h"

// The frames (--from, --to, --fps) and what is done with them.
struct CaptureOptions : CapturePlan {
  std::string raw_path;     // "-" for standard output
  std::string frames_dir;
  std::string wav_path;
  std::string video_path;
  int32_t video_scale = 1;
  bool null_output = false;
  std::string sheet_path;
  bool stats = false;
  bool reduce_flashing = false;  // the show with reduced flashing
  std::string data_dir;  // empty: found as the player finds it
  bool help = false;     // print capture_help and end
};

inline constexpr const char* capture_usage =
    "usage: sava-capture [--from MS] [--to MS] [--fps N[/D]] [--data DIR] [--raw FILE|-] [--frames DIR] "
    "[--wav FILE] [--video FILE.mp4 [--scale N]] [--null] [--sheet FILE.png] [--stats] [--reduce-flashing]";

// What --help prints, after capture_usage.
inline constexpr const char* capture_help =
    "Renders the show offline on a virtual clock, without a window or a sound device.\n"
    "\n"
    "  --from MS, --to MS  the span of show time (default 0 to 184000)\n"
    "  --fps N[/D]         frames per second (default 60); frame i is shown at from + i * 1000 * D / N ms\n"
    "  --data DIR          read the show's files from DIR (otherwise from data/ in the working folder\n"
    "                      when there is one, else from the installed data)\n"
    "  --reduce-flashing   the show with reduced flashing: dimmed where it flashes fast\n"
    "Outputs (at least one):\n"
    "  --raw FILE|-        raw frames, 400x300 BGRA words (480000 bytes) each\n"
    "  --frames DIR        one PNG file per frame, named by show time\n"
    "  --wav FILE          the soundtrack as heard\n"
    "  --video FILE.mp4    H.264 and AAC through ffmpeg; --scale N enlarges it, pixels kept sharp\n"
    "  --sheet FILE.png    a contact sheet\n"
    "  --null              render without writing\n"
    "  --stats             print render times per scene\n"
    "  -h, --help          print this help and end\n"
    "\n"
    "Ctrl-C finishes the outputs up to the last frame made; a second one ends the capture at once.\n";

// Parses the arguments after the program name. On error returns nothing and
// sets `error` to a one-line reason. With --help anywhere the other arguments
// are not checked.
std::optional<CaptureOptions> parse_capture_options(int argc, const char* const* argv, std::string* error);
