// How long the show is: its last cue, at this time, ends it. A start time
// must come before it.
#pragma once

#include <cstdint>
#include <string>

#include "base/result.h"

inline constexpr int32_t show_length_ms = 184000;

// Whether the show can start at `ms`, given as `option`; refused with a
// one-line reason that names the show's length.
Result<void> check_show_start(const char* option, int64_t ms);
