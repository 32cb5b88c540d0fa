#include "player/options.h"

#include <cstdint>
#include <cstring>
#include <span>

#include "base/whole_number.h"
#include "core/clock.h"
#include "player/launch.h"
#include "show/show_length.h"
#include "show/show_scale.h"

#ifndef SAVA_VERSION
#define SAVA_VERSION "unknown"
#endif

namespace {

Result<void> set_help(PlayerOptions* o, const char*) {
  o->action = PlayerOptions::Action::help;
  return {};
}

Result<void> set_version(PlayerOptions* o, const char*) {
  if (o->action != PlayerOptions::Action::help) o->action = PlayerOptions::Action::version;
  return {};
}

Result<void> set_windowed(PlayerOptions* o, const char*) {
  o->video_flags = video_flag_doublebuf;
  return {};
}

Result<void> set_scale(PlayerOptions* o, const char* value) {
  const Result<int32_t> scale = parse_show_scale(value);
  if (!scale) return scale.failure();
  o->scale = *scale;
  return {};
}

Result<void> set_data(PlayerOptions* o, const char* value) {
  if (*value == '\0') return Failure{"--data takes a folder, not an empty text"};
  o->data_dir = value;
  return {};
}

// A show time before the end of the show.
Result<void> set_from(PlayerOptions* o, const char* value) {
  int64_t ms = 0;
  if (!parse_whole_number(value, 0, INT32_MAX, &ms)) {
    return Failure{std::string("--from takes a show time in whole milliseconds (0 to 2147483647), not '") + value +
                   "'"};
  }
  if (Result<void> start = check_show_start("--from", ms); !start) return start;
  o->from_ms = static_cast<int32_t>(ms);
  return {};
}

// Milliseconds, -1000 to 1000.
Result<void> set_audio_delay(PlayerOptions* o, const char* value) {
  const bool negative = *value == '-';
  int64_t ms = 0;
  if (!parse_whole_number(value + (negative ? 1 : 0), 0, audio_delay_limit_ms, &ms)) {
    return Failure{std::string("--audio-delay takes whole milliseconds from -1000 to 1000, not '") + value + "'"};
  }
  o->audio_delay_ms = static_cast<int32_t>(negative ? -ms : ms);
  return {};
}

// The option that also works alone, as the first argument.
constexpr const char* first_argument_option = "--windowed";

std::span<const PlayerOption> player_options() { return {player_option_table, static_cast<size_t>(player_option_count)}; }

// The show's length comes from the show itself.
const std::string from_help = "start at show time MS (whole milliseconds, before the end at " +
                              std::to_string(show_length_ms) +
                              "): the scenes due by then are set up at once and the music starts at that moment";

}  // namespace

const PlayerOption player_option_table[] = {
    {"--windowed", nullptr, nullptr, "play in a window instead of full screen", set_windowed},
    {"--scale", nullptr, "N", "make the window N times larger (1 to 16), every pixel kept sharp", set_scale},
    {"--data", nullptr, "DIR",
     "read the pictures and the soundtrack from DIR (otherwise from data/ in the working folder when it holds "
     "the show's soundtrack, else from the installed data)",
     set_data},
    {"--from", nullptr, "MS", from_help.c_str(), set_from},
    {"--reduce-flashing", nullptr, nullptr,
     "reduced flashing: the stretches that flash three times a second or more are shown softened",
     set_flag<&PlayerOptions::reduce_flashing>},
    {"--audio-delay", nullptr, "MS",
     "the sound is heard MS milliseconds later than the sound card says (e.g. 150 to 250 over a wireless "
     "link; negative if earlier; -1000 to 1000): the picture waits as long; kept for later starts, "
     "--audio-delay 0 forgets it",
     set_audio_delay},
    {"--sync-test", nullptr, nullptr,
     "instead of the show, a flash and a click twice a second with the audio delay on screen: set it with "
     "+ and - until they come together (it is kept)",
     set_flag<&PlayerOptions::sync_test>},
    {"--help", "-h", nullptr, "print this help and end", set_help},
    {"--version", nullptr, nullptr, "print the version and end", set_version},
};
const int player_option_count = static_cast<int>(sizeof player_option_table / sizeof player_option_table[0]);

Result<PlayerOptions> parse_player_options(int argc, const char* const* argv) {
  PlayerOptions first_argument_only;
  first_argument_only.video_flags = video_flags_for(argc, argv);
  const std::span<const char* const> args =
      argc > 1 && argv != nullptr ? std::span<const char* const>(argv + 1, static_cast<size_t>(argc - 1))
                                  : std::span<const char* const>();
  bool any_option = false;
  for (const char* arg : args) {
    const PlayerOption* option = find_option(player_options(), arg);
    if (option != nullptr && std::strcmp(option->name, first_argument_option) != 0) any_option = true;
  }
  // Without an option the first argument alone decides (video_flags_for).
  if (!any_option) return first_argument_only;

  PlayerOptions parsed;
  parsed.video_flags = video_flag_fullscreen;
  // Once one of its options is used, the command line is read whole: an
  // argument that is none of them is refused.
  const Result<void> read = parse_options(player_options(), args, UnknownArgument::refused, &parsed);
  // Help wins over everything, even a malformed value; then the first error.
  if (parsed.action != PlayerOptions::Action::help && !read) return read.failure();
  return parsed;
}

const char player_keys_help[] =
    "Keys while the show plays:\n"
    "  Space         pause / go on\n"
    "  Left, Right   1 second back / on\n"
    "  Page Up/Down  to the start of the previous / next scene\n"
    "  Home          back to the start\n"
    "  L             loop the scene on screen (L again: stop looping)\n"
    "  T             show time, cue number and scene name (not in captures)\n"
    "  + and -       the audio delay 10 ms longer / shorter (kept for later starts)\n"
    "  Alt+Enter     window / full screen\n"
    "  Escape        end the show (when released); closing the window does too\n";

const char player_jump_help[] =
    "A start with --from and every jump set the show up as if it had been started\n"
    "at that moment: the random numbers some scenes draw begin their sequence\n"
    "again, and the black bars that only ever grow start from nothing, so the\n"
    "frames after a jump can differ a little from those of a run that played\n"
    "through. The first frame after a start or a jump is the one\n"
    "sava-capture --from draws for that time.\n";

std::string player_help_text() {
  std::string text =
      "usage: sava [--windowed] [--scale N] [--data DIR] [--from MS] [--reduce-flashing] [--audio-delay MS]\n"
      "            [--sync-test] [--help] [--version]\n"
      "Plays the show, full screen unless --windowed is given.\n"
      "Warning: the show contains flashing lights; --reduce-flashing softens where it flashes fast.\n"
      "\n"
      "Options:\n";
  text += option_help(player_options());
  text += "\n";
  text += player_keys_help;
  text += "\n";
  text += player_jump_help;
  text +=
      "\n"
      "Environment:\n"
      "  SDL_AUDIODRIVER=dummy    play without a sound card (silently; the show keeps its own time)\n"
      "  SDL_VIDEODRIVER=dummy    run without a display\n"
      "  SDL12COMPAT_WINDOW_SCALING=F, SDL12COMPAT_SCALE_METHOD=linear|nearest\n"
      "                           the window's size factor and the scaling of its pixels, when set,\n"
      "                           are used instead of --scale and the default sharp pixels\n"
      "  SDL12COMPAT_SYNC_TO_VBLANK=0   frames as fast as they come instead of in step with the display\n";
  return text;
}

std::string player_version_text() { return std::string("sava ") + SAVA_VERSION + "\n"; }
