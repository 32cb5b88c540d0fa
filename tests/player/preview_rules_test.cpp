// The player's preview rules without a platform: the input rule, where the
// seek keys and the scene loop go, the start time option, the time overlay
// and the input script.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "player/input_script.h"
#include "player/input_rule.h"
#include "player/time_overlay.h"
#include "show/transport.h"

namespace {

using A = PlayerAction;

TEST(InputRule, MapsEventsToActions) {
  struct Case {
    uint32_t type;
    int32_t key;
    uint32_t modifiers;
    PlayerAction action;
  };
  const uint32_t down = event_key_down, up = event_key_up;
  const Case cases[] = {
      {event_quit, 0, 0, A::quit},
      {up, key_escape, 0, A::quit},
      {up, key_escape, modifier_ctrl, A::quit},
      {down, key_escape, 0, A::none},  // pressed or held: nothing yet
      {down, key_space, 0, A::pause},
      {down, key_left, 0, A::seek_back},
      {down, key_right, modifier_shift, A::seek_forward},  // Shift does not matter
      {down, key_page_up, 0, A::previous_cue},
      {down, key_page_down, 0, A::next_cue},
      {down, key_home, 0, A::to_start},
      {down, key_letter_l, 0, A::loop},
      {down, key_letter_t, 0x2000 /* Caps Lock */, A::overlay},
      {down, key_equals, 0, A::delay_later},
      {down, key_plus, modifier_shift, A::delay_later},
      {down, key_keypad_minus, 0, A::delay_earlier},
      {down, key_minus, modifier_ctrl, A::none},
      {down, key_return, 0x0100 /* left Alt */, A::full_screen},
      {down, key_keypad_enter, 0x0200 /* right Alt */, A::full_screen},
      {down, key_return, 0, A::none},
      {down, key_return, modifier_alt | modifier_ctrl, A::none},
      {down, key_letter_t, modifier_alt, A::none},
      {down, key_right, modifier_ctrl, A::none},
      {down, key_space, modifier_meta, A::none},
      {up, key_space, 0, A::none},  // the other keys act when pressed
      {down, 'q', 0, A::none},
      {4 /* mouse motion */, key_space, 0, A::none},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(player_action(c.type, c.key, c.modifiers), c.action)
        << "type " << c.type << " key " << c.key << " modifiers " << c.modifiers;
  }
  EXPECT_TRUE(event_ends_show(up, key_escape));
  EXPECT_FALSE(event_ends_show(down, key_space));
}

// Four cues: 0, 8000, 23500, and the end at 30000.
void start_scene(RunState&, const Cue&) {}
const Cue table[] = {{0, start_scene, nullptr},
                     {8000, start_scene, nullptr},
                     {23500, start_scene, nullptr},
                     {30000, end_show, nullptr},
                     {0, nullptr, nullptr}};

TEST(Transport, SeekTargets) {
  struct Case {
    PlayerAction action;
    int32_t now;
    int32_t current;
    std::optional<int32_t> target;
  };
  const Case cases[] = {
      {A::seek_forward, 12345, 1, 13345},
      {A::seek_back, 12345, 1, 11345},
      {A::seek_back, 400, 0, 0},
      {A::seek_back, -46, -1, 0},
      {A::seek_forward, INT32_MAX - 10, 3, INT32_MAX},
      {A::previous_cue, 12345, 1, 0},
      {A::next_cue, 12345, 1, 23500},
      {A::previous_cue, 100, 0, 0},
      {A::next_cue, -46, -1, 0},
      {A::next_cue, 29000, 2, 30000},
      {A::next_cue, 30000, 3, 30000},  // the end, at most
      {A::to_start, 29000, 2, 0},
      {A::pause, 1000, 0, std::nullopt},
      {A::loop, 1000, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(seek_target(c.action, c.now, c.current, table), c.target)
        << static_cast<int>(c.action) << " from " << c.now;
  }
}

TEST(Transport, LoopGoesBackBeforeTheNextCueFires) {
  EXPECT_EQ(loop_back_time(23499, 1, table), std::nullopt);
  EXPECT_EQ(loop_back_time(23500, 1, table), 8000);
  EXPECT_EQ(loop_back_time(40000, 1, table), 8000);   // a late frame too
  EXPECT_EQ(loop_back_time(30000, 2, table), 23500);  // the last scene, not the end
  EXPECT_EQ(loop_back_time(-10, -1, table), std::nullopt);
  EXPECT_EQ(loop_back_time(30000, 3, table), std::nullopt);
}

TEST(TimeOverlay, TextAndPlacement) {
  EXPECT_EQ(format_show_time(0), "0:00.000");
  EXPECT_EQ(format_show_time(83456), "1:23.456");
  EXPECT_EQ(format_show_time(184000), "3:04.000");
  EXPECT_EQ(format_show_time(-46), "-0:00.046");
  EXPECT_EQ(overlay_lines(8000, 1, "presents", true, true),
            (std::vector<std::string>{"0:08.000  cue 1  paused  loop", "presents"}));
  EXPECT_EQ(overlay_lines(-46, -1, nullptr, false, false), std::vector<std::string>{"-0:00.046  cue -"});
  EXPECT_EQ(overlay_lines(0, -1, nullptr, false, false, 150),
            (std::vector<std::string>{"0:00.000  cue -", "audio delay +150 ms"}));

  // A 29-character line in a box with 3 pixels of padding: 29 * 6 - 1 + 6
  // wide, 2 lines * 9 - 2 + 6 high; clipped at the screen's edge.
  const std::vector<std::string> lines = overlay_lines(8000, 1, "presents", true, true);
  const OverlayBox box = overlay_box(lines, 400, 300);
  EXPECT_EQ(box.x, 4);
  EXPECT_EQ(box.y, 4);
  EXPECT_EQ(box.width, 179);
  EXPECT_EQ(box.height, 22);
  EXPECT_EQ(overlay_box({std::string(100, 'x')}, 400, 300).width, 396);
}

TEST(TimeOverlay, DarkensTheBoxAndWritesWhiteText) {
  const std::vector<std::string> lines{"0:01"};
  const OverlayBox box = overlay_box(lines, 400, 300);
  std::vector<uint32_t> pixels(static_cast<size_t>(box.width) * box.height, 0xFF804020u);
  draw_overlay(lines, pixels.data(), box);
  const auto white = std::count(pixels.begin(), pixels.end(), 0xFFFFFFFFu);
  const auto dark = std::count(pixels.begin(), pixels.end(), 0xFF201008u);
  EXPECT_GT(white, 30);  // four glyphs' worth of lit pixels
  EXPECT_EQ(white + dark, static_cast<long>(pixels.size()));
  // The top-left glyph row of '0' (".###.") at (3, 3) of the box.
  EXPECT_EQ(pixels[3 * box.width + 3], 0xFF201008u);
  EXPECT_EQ(pixels[3 * box.width + 4], 0xFFFFFFFFu);
}

TEST(InputScript, ParsesStepsAndNamesTheBadLine) {
  const Result<std::vector<ScriptStep>> steps = parse_input_script(
      "# start\n\nat 2500 t\nafter 3 alt+enter\nafter 0 dump a.raw\nafter 1 dump-presented b.raw\n"
      "after 0 trace t.txt\nat 9000 escape\n");
  ASSERT_TRUE(steps) << steps.error();
  ASSERT_EQ(steps->size(), 6u);
  EXPECT_EQ((*steps)[0].when, ScriptStep::When::at_time);
  EXPECT_EQ((*steps)[0].key, key_letter_t);
  EXPECT_EQ((*steps)[1].modifiers, modifier_alt);
  EXPECT_EQ((*steps)[1].key, key_return);
  EXPECT_EQ((*steps)[2].kind, ScriptStep::Kind::dump);
  EXPECT_EQ((*steps)[3].path, "b.raw");
  EXPECT_EQ((*steps)[4].kind, ScriptStep::Kind::trace);

  for (const char* bad :
       {"at x t", "soon 5 t", "at 5 q", "after 1 dump", "after 1 dump a b", "at 5 t extra", "at -5 t"}) {
    const Result<std::vector<ScriptStep>> refused = parse_input_script(std::string("at 0 t\n") + bad + "\n");
    ASSERT_FALSE(refused) << bad;
    EXPECT_EQ(refused.error().rfind("line 2: ", 0), 0u) << refused.error();
  }
}

TEST(InputScript, StepsFireInTurnWhenTheShowReachesTheirTime) {
  ScriptRunner runner(*parse_input_script("at 1000 t\nafter 2 space\nat 500 l\nafter 0 home\n"));
  struct Frame {
    int32_t now;
    size_t fired;
  };
  // The first frame is past 1000 already: reached. Then two frames later
  // Space; 500 is reached only once the show has come back below it.
  const Frame frames[] = {{1200, 1}, {1216, 0}, {1232, 1}, {1232, 0}, {400, 0}, {520, 2}, {600, 0}};
  for (size_t i = 0; i < std::size(frames); ++i) {
    EXPECT_EQ(runner.due(static_cast<int64_t>(i), frames[i].now).size(), frames[i].fired) << "frame " << i;
  }
  EXPECT_TRUE(runner.finished());
}

}  // namespace
