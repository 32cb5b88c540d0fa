// How many times larger the 400x300 picture may be shown: the player's window
// (--scale) and sava-capture's video (--scale) take the same whole numbers.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t max_show_scale = 16;

// The value of --scale: a whole number from 1 to max_show_scale; false with
// a one-line `error` for anything else.
bool parse_show_scale(const char* value, int32_t* scale, std::string* error);
