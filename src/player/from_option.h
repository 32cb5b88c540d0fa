// The start time option of the player: "--from MS" anywhere on the command
// line starts the show at show time MS. Without it the command line means
// what it always did (only an exact "--windowed" first argument is read).
#pragma once

#include <cstdint>
#include <string>

struct FromOption {
  bool given = false;
  int32_t ms = 0;
  // Set when the option is malformed: the one line (without its newline)
  // to print before exiting with status 2.
  std::string error;
};

// Looks for "--from MS" (MS: decimal digits, at most 2147483647); the last
// one given counts.
FromOption parse_from_option(int argc, const char* const* argv);

// The video flags: as video_flags_for without "--from"; with it, an exact
// "--windowed" anywhere selects the window.
uint32_t video_flags_with_from(int argc, const char* const* argv, const FromOption& from);
