#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/option_table.h"
#include "player/launch.h"
#include "player/options.h"
#include "show/show_scale.h"

namespace {

constexpr uint32_t full = video_flag_fullscreen;
constexpr uint32_t window = video_flag_doublebuf;
using Action = PlayerOptions::Action;

struct Row {
  std::vector<const char*> args;  // after the program name
  uint32_t flags;
  Action action;
  int32_t scale;
  std::string data_dir;
  std::string error;  // the start of the reason; empty when accepted
  int32_t from_ms = 0;
  bool reduce_flashing = false;
  std::optional<int32_t> audio_delay_ms = std::nullopt;
};

TEST(PlayerOptions, EveryCommandLineMeansWhatItShould) {
  const Row rows[] = {
      // Without options only an exact "--windowed" as the first argument counts.
      {{}, full, Action::play, 0, "", ""},
      {{"--windowed"}, window, Action::play, 0, "", ""},
      {{"--windowed", "extra"}, window, Action::play, 0, "", ""},
      {{"--window"}, full, Action::play, 0, "", ""},
      {{"--windowedx"}, full, Action::play, 0, "", ""},
      {{"--Windowed"}, full, Action::play, 0, "", ""},
      {{""}, full, Action::play, 0, "", ""},
      {{"-f", "--windowed"}, full, Action::play, 0, "", ""},
      {{"--fullscreen", "whatever", "-x"}, full, Action::play, 0, "", ""},
      // Options in any order; "--windowed" then counts anywhere.
      {{"--scale", "2"}, full, Action::play, 2, "", ""},
      {{"--scale", "3", "--windowed"}, window, Action::play, 3, "", ""},
      {{"--windowed", "--scale", "16"}, window, Action::play, 16, "", ""},
      {{"--data", "/opt/show", "--windowed"}, window, Action::play, 0, "/opt/show", ""},
      {{"--data", "--windowed"}, full, Action::play, 0, "--windowed", ""},  // a value, not the option
      {{"--scale", "2", "--scale", "4"}, full, Action::play, 4, "", ""},
      {{"--scale", "1", "--data", "d"}, full, Action::play, 1, "d", ""},
      {{"--from", "64000"}, full, Action::play, 0, "", "", 64000},
      {{"--from", "0", "--windowed"}, window, Action::play, 0, "", "", 0},
      {{"--from", "1", "--from", "183999"}, full, Action::play, 0, "", "", 183999},
      {{"--reduce-flashing"}, full, Action::play, 0, "", "", 0, true},
      {{"--windowed", "--reduce-flashing", "--from", "5"}, window, Action::play, 0, "", "", 5, true},
      {{"--help"}, full, Action::help, 0, "", ""},
      {{"--windowed", "-h"}, window, Action::help, 0, "", ""},
      {{"--version"}, full, Action::version, 0, "", ""},
      {{"--version", "--help"}, full, Action::help, 0, "", ""},
      {{"--help", "--scale", "x"}, full, Action::help, 0, "", ""},  // help wins
      // With an option of ours, anything else is refused.
      {{"--windowed", "--scale", "1", "--form", "64000"}, full, Action::play, 0, "", "unknown argument '--form'"},
      {{"-f", "--scale", "1"}, full, Action::play, 0, "", "unknown argument '-f'"},
      {{"--data", "d", "extra"}, full, Action::play, 0, "", "unknown argument 'extra'"},
      // Malformed values.
      {{"--scale"}, full, Action::play, 0, "", "--scale needs a value"},
      {{"--windowed", "--data"}, full, Action::play, 0, "", "--data needs a value"},
      {{"--scale", "0"}, full, Action::play, 0, "", "--scale takes a whole number from 1 to 16, not '0'"},
      {{"--scale", "17"}, full, Action::play, 0, "", "--scale takes"},
      {{"--scale", "2x"}, full, Action::play, 0, "", "--scale takes"},
      {{"--scale", "+2"}, full, Action::play, 0, "", "--scale takes"},
      {{"--scale", " 2"}, full, Action::play, 0, "", "--scale takes"},
      {{"--scale", "-1"}, full, Action::play, 0, "", "--scale takes"},
      {{"--scale", "99999999999999999999"}, full, Action::play, 0, "", "--scale takes"},
      {{"--version", "--data", ""}, full, Action::play, 0, "", "--data takes a folder"},
      {{"--from"}, full, Action::play, 0, "", "--from needs a value"},
      {{"--from", ""}, full, Action::play, 0, "", "--from takes a show time"},
      {{"--from", "-5"}, full, Action::play, 0, "", "--from takes"},
      {{"--from", "5s"}, full, Action::play, 0, "", "--from takes"},
      {{"--from", "+5"}, full, Action::play, 0, "", "--from takes"},
      {{"--from", "184000"}, full, Action::play, 0, "",
       "--from 184000 is not before the end of the show: it is 184000 ms (3:04.000) long"},
      {{"--from", "2147483647"}, full, Action::play, 0, "", "--from 2147483647 is not before the end"},
      {{"--from", "2147483648"}, full, Action::play, 0, "", "--from takes"},
      {{"--from", "99999999999999999999999"}, full, Action::play, 0, "", "--from takes"},
      {{"--from", "--windowed"}, full, Action::play, 0, "", "--from takes"},
      {{"--audio-delay", "150"}, full, Action::play, 0, "", "", 0, false, 150},
      {{"--audio-delay", "-1000"}, full, Action::play, 0, "", "", 0, false, -1000},
      {{"--audio-delay", "0"}, full, Action::play, 0, "", "", 0, false, 0},
      {{"--audio-delay", "1001"}, full, Action::play, 0, "", "--audio-delay takes"},
      {{"--audio-delay", "--5"}, full, Action::play, 0, "", "--audio-delay takes"},
      {{"--audio-delay", "-"}, full, Action::play, 0, "", "--audio-delay takes"},
  };
  for (const Row& row : rows) {
    std::vector<const char*> argv = row.args;
    argv.insert(argv.begin(), "sava");
    std::string line;
    for (const char* a : row.args) line += std::string(" '") + a + "'";
    SCOPED_TRACE("sava" + line);
    const Result<PlayerOptions> got = parse_player_options(static_cast<int>(argv.size()), argv.data());
    if (!row.error.empty()) {
      ASSERT_FALSE(got);
      EXPECT_EQ(got.error().rfind(row.error, 0), 0u) << got.error();
      EXPECT_EQ(got.error().find('\n'), std::string::npos);
      continue;
    }
    ASSERT_TRUE(got) << got.error();
    EXPECT_EQ(got->video_flags, row.flags);
    EXPECT_EQ(got->action, row.action);
    EXPECT_EQ(got->scale, row.scale);
    EXPECT_EQ(got->data_dir, row.data_dir);
    EXPECT_EQ(got->from_ms, row.from_ms);
    EXPECT_EQ(got->reduce_flashing, row.reduce_flashing);
    EXPECT_EQ(got->audio_delay_ms, row.audio_delay_ms);
  }
  EXPECT_EQ(parse_player_options(0, nullptr)->video_flags, full);
}

TEST(PlayerOptions, HelpNamesEveryOptionTheKeysAndTheSoundlessDriver) {
  const std::string help = player_help_text();
  for (int i = 0; i < player_option_count; ++i) {
    EXPECT_NE(help.find(player_option_table[i].name), std::string::npos) << player_option_table[i].name;
  }
  EXPECT_NE(help.find(player_keys_help), std::string::npos);
  EXPECT_NE(help.find("SDL_AUDIODRIVER=dummy"), std::string::npos);
  EXPECT_NE(help.find("Warning: the show contains flashing lights; --reduce-flashing"), std::string::npos);
  EXPECT_NE(help.find("(1 to " + std::to_string(max_show_scale) + ")"), std::string::npos);
  EXPECT_EQ(player_version_text().rfind("sava ", 0), 0u);
}

}  // namespace

namespace {

struct Flag {
  bool on = false;
};

TEST(OptionTable, PositionalArgumentsAreCollectedInOrderAndDashedUnknownsRefused) {
  const Option<Flag> table[] = {
      {"--on", nullptr, nullptr, "", set_flag<&Flag::on>}};
  struct Row {
    std::vector<const char*> args;
    std::vector<std::string> positional;
    std::string error;
  };
  const Row rows[] = {
      {{"a", "--on", "b"}, {"a", "b"}, ""},
      {{"-"}, {"-"}, ""},
      {{"a", "--of", "b"}, {"a", "b"}, "unknown argument '--of'"},
      {{"-x"}, {}, "unknown argument '-x'"},
  };
  for (const Row& row : rows) {
    Flag flag;
    std::vector<const char*> positional;
    const Result<void> read =
        parse_options(std::span<const Option<Flag>>(table), std::span<const char* const>(row.args),
                      UnknownArgument::refused, &flag, &positional);
    EXPECT_EQ(read.error(), row.error);
    EXPECT_EQ(std::vector<std::string>(positional.begin(), positional.end()), row.positional);
  }
}

}  // namespace
