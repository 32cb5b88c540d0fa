// Command line of the flash checker.
#pragma once

#include <optional>
#include <string>

#include "flash_analysis.h"

struct FlashCheckOptions {
  FlashVideo video;
  std::string path = "-";  // "-": standard input
  bool help = false;       // print flash_check_help and end
};

inline constexpr const char* flash_check_usage = "usage: sava-flash-check --fps N[/D] [--size WxH] [FILE|-]";

// What --help prints, after flash_check_usage.
inline constexpr const char* flash_check_help =
    "Checks raw video for flashing that can trigger seizures: more than 3 flashes (6 transitions of\n"
    "relative luminance, or of saturated red) in any one second over a quarter of the screen, and\n"
    "4 or more transitions a second for more than 4 s of any 5 s.\n"
    "\n"
    "  --fps N[/D]   frames per second of the video (required)\n"
    "  --size WxH    frame size in pixels (default 400x300)\n"
    "  FILE|-        raw frames, 4 bytes a pixel: blue, green, red, alpha (standard input by default)\n"
    "  -h, --help    print this help and end\n"
    "\n"
    "Prints each failing stretch and a verdict. Exit status 0: passes, 1: fails or cannot be read,\n"
    "2: wrong command line.\n";

// Parses the arguments after the program name. On error returns nothing and
// sets `error` to a one-line reason.
std::optional<FlashCheckOptions> parse_flash_check_options(int argc, const char* const* argv, std::string* error);
