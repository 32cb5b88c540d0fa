// How many times larger the 400x300 picture may be shown: the player's window
// (--scale) and sava-capture's video (--scale) take the same whole numbers.
#pragma once

#include <cstdint>
#include <string>

#include "base/result.h"

inline constexpr int32_t max_show_scale = 16;

// The value of --scale: a whole number from 1 to max_show_scale; anything
// else refused.
Result<int32_t> parse_show_scale(const char* value);
