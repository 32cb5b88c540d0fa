// The keys and events the player's input rule knows, in the platform's
// values (the desktop player checks them against its headers at compile
// time; the web edge translates its own numbers into them).
#pragma once

#include <cstdint>

// Event types, key codes and modifier bits are the platform's values
// (checked at compile time by the player).
inline constexpr uint32_t event_key_down = 2;
inline constexpr uint32_t event_key_up = 3;
inline constexpr uint32_t event_quit = 12;
inline constexpr int32_t key_return = 13;
inline constexpr int32_t key_escape = 27;
inline constexpr int32_t key_space = 32;
inline constexpr int32_t key_plus = '+';
inline constexpr int32_t key_minus = '-';
inline constexpr int32_t key_equals = '=';  // the + key's own, unshifted
inline constexpr int32_t key_keypad_minus = 269;
inline constexpr int32_t key_keypad_plus = 270;
inline constexpr int32_t key_letter_l = 'l';
inline constexpr int32_t key_letter_t = 't';
inline constexpr int32_t key_keypad_enter = 271;
inline constexpr int32_t key_right = 275;
inline constexpr int32_t key_left = 276;
inline constexpr int32_t key_home = 278;
inline constexpr int32_t key_page_up = 280;
inline constexpr int32_t key_page_down = 281;
inline constexpr uint32_t modifier_shift = 0x0003;  // left, right
inline constexpr uint32_t modifier_ctrl = 0x00C0;
inline constexpr uint32_t modifier_alt = 0x0300;
inline constexpr uint32_t modifier_meta = 0x0C00;
