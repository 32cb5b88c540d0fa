// Command line of the flash checker, read against its table of options.
#pragma once

#include <string>

#include "base/result.h"
#include "flash_analysis.h"

struct FlashCheckOptions {
  FlashVideo video;
  std::string path = "-";  // "-": standard input
  bool help = false;       // print flash_check_help() and end
};

inline constexpr const char* flash_check_usage = "usage: sava-flash-check --fps N[/D] [--size WxH] [FILE|-]";

// What --help prints, after flash_check_usage: what the program does, its
// options (from the table) and its exit statuses.
std::string flash_check_help();

// Parses the arguments after the program name; refused with a one-line
// reason. --help anywhere wins over an error.
Result<FlashCheckOptions> parse_flash_check_options(int argc, const char* const* argv);
