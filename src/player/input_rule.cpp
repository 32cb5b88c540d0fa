#include "player/input_rule.h"

PlayerAction player_action(uint32_t type, int32_t key, uint32_t modifiers) {
  if (type == event_quit) return PlayerAction::quit;
  if (type == event_key_up) return key == key_escape ? PlayerAction::quit : PlayerAction::none;
  if (type != event_key_down) return PlayerAction::none;
  const bool alt = (modifiers & modifier_alt) != 0;
  const bool ctrl_or_meta = (modifiers & (modifier_ctrl | modifier_meta)) != 0;
  if (ctrl_or_meta) return PlayerAction::none;
  if (alt) return key == key_return || key == key_keypad_enter ? PlayerAction::full_screen : PlayerAction::none;
  switch (key) {
    case key_space: return PlayerAction::pause;
    case key_left: return PlayerAction::seek_back;
    case key_right: return PlayerAction::seek_forward;
    case key_page_up: return PlayerAction::previous_cue;
    case key_page_down: return PlayerAction::next_cue;
    case key_home: return PlayerAction::to_start;
    case key_letter_l: return PlayerAction::loop;
    case key_letter_t: return PlayerAction::overlay;
    case key_plus:
    case key_equals:
    case key_keypad_plus: return PlayerAction::delay_later;
    case key_minus:
    case key_keypad_minus: return PlayerAction::delay_earlier;
    default: return PlayerAction::none;
  }
}

bool event_ends_show(uint32_t type, int32_t key) { return player_action(type, key, 0) == PlayerAction::quit; }
