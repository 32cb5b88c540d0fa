// Pure pieces of the player's launch that need no platform: the video flags
// chosen from the command line and the window caption in the encoding the
// platform's title bar expects.
#pragma once

#include <cstdint>
#include <string>

// The platform's video flag values (the player checks at compile time that
// they equal its own headers'): full screen, or a double-buffered window.
inline constexpr uint32_t video_flag_fullscreen = 0x80000000u;
inline constexpr uint32_t video_flag_doublebuf = 0x40000000u;

// Full screen unless the first argument is exactly "--windowed" (the whole
// text: no prefix, no longer word, no other letter case). Later arguments are
// never looked at.
uint32_t video_flags_for(int argc, const char* const* argv);

// The window's title: "yrH ToLVaS: Sävä" in ISO 8859-1 (each ä is the byte 0xE4).
inline constexpr const char* window_caption = "yrH ToLVaS: S\xE4v\xE4";

// Re-encodes ISO 8859-1 text (one byte per character, all of Latin-1) as
// UTF-8: bytes below 0x80 stay, every other byte becomes two bytes.
std::string latin1_to_utf8(const char* text);
