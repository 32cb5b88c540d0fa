// Pure pieces of the player that need no platform: the video flags chosen
// from the command line, the input that ends the show and the window caption
// in the encoding the platform's title bar expects.
#pragma once

#include <cstdint>
#include <string>

#include "show/transport.h"

// The platform's video flag values (the player checks at compile time that
// they equal its own headers'): full screen, or a double-buffered window.
inline constexpr uint32_t video_flag_fullscreen = 0x80000000u;
inline constexpr uint32_t video_flag_doublebuf = 0x40000000u;

// Full screen unless the first argument is exactly "--windowed" (the whole
// text: no prefix, no longer word, no other letter case). Later arguments are
// never looked at.
uint32_t video_flags_for(int argc, const char* const* argv);

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


// The input rule. Escape acts when released (pressing or holding it does
// nothing), whatever modifiers are held. The other keys act when pressed:
// Alt+Enter (either Enter key) with Alt and no Ctrl or Meta, the rest with
// no Ctrl, Alt or Meta held (Shift, Caps Lock and Num Lock do not matter).
// Everything else is ignored.
PlayerAction player_action(uint32_t type, int32_t key, uint32_t modifiers);

// Input that ends the show: the Escape key released or the window's close
// request (the player_action rule's quit).
bool event_ends_show(uint32_t type, int32_t key);

// The window's title: "yrH ToLVaS: Sävä" in ISO 8859-1 (each ä is the byte 0xE4).
inline constexpr const char* window_caption = "yrH ToLVaS: S\xE4v\xE4";

// Re-encodes ISO 8859-1 text (one byte per character, all of Latin-1) as
// UTF-8: bytes below 0x80 stay, every other byte becomes two bytes.
std::string latin1_to_utf8(const char* text);
