// The show's script: which scene replaces the display list at which show time.
#pragma once

#include "core/frame.h"

inline constexpr int cue_count = 26;

// 26 cues in ascending time, then the terminating entry.
extern const Cue cue_table[cue_count + 1];

// What each cue starts, for people reading the show's time (cue_names[i]
// belongs to cue_table[i]).
extern const char* const cue_names[cue_count];
