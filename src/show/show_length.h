// How long the show is: its last cue, at this time, ends it. A start time
// must come before it.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t show_length_ms = 184000;

// Empty when the show can start at `ms`, given as `option`; else the one-line
// reason, which names the show's length.
std::string show_start_failure(const char* option, int64_t ms);
