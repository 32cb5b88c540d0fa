// The player's command line.
//
// Without any of the options of `player_option_table`, only the first
// argument counts: exactly "--windowed" gives a window, anything else (or
// nothing) full screen, and every other argument is ignored. When one of
// those options is given they may come in any order, "--windowed" anywhere
// gives a window, and any other argument is refused (status 2).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/option_table.h"

struct PlayerOptions {
  enum class Action { play, help, version };
  Action action = Action::play;
  uint32_t video_flags = 0;  // video_flag_fullscreen or video_flag_doublebuf (launch.h)
  int32_t scale = 0;         // window size factor; 0 when not given
  std::string data_dir;      // folder of the show's files; empty when not given
  int32_t from_ms = 0;       // show time to start at, in milliseconds
  bool reduce_flashing = false;  // dim the stretches that flash fast
  std::optional<int32_t> audio_delay_ms;  // --audio-delay; kept for later starts
  bool sync_test = false;  // the flash-and-click pattern for setting the delay, instead of the show
};

// The options, one entry each; "--windowed" is the one that does not bring
// in the rule for options.
using PlayerOption = Option<PlayerOptions>;
extern const PlayerOption player_option_table[];
extern const int player_option_count;

// The options, or the one-line reason (no newline) for a malformed value,
// after which the player ends with status 2. `argv[0]` is the program;
// `argv` may be null when `argc` is 0.
Result<PlayerOptions> parse_player_options(int argc, const char* const* argv);

// The keys the show listens to, as the help lists them.
extern const char player_keys_help[];
// What a start with --from or a jump sets up, as the help tells it.
extern const char player_jump_help[];

// The whole text of --help (ends with a newline) and of --version.
std::string player_help_text();
std::string player_version_text();
