// Where the player's moves through the show go: the seek keys' targets and
// the scene loop. Pure rules over the cue table; the player carries them out.
#pragma once

#include <cstdint>
#include <optional>

#include "core/frame.h"
#include "player/launch.h"

// The cue whose scene is on screen after cues up to `next_cue` have fired
// (-1 before the first has).
inline int32_t current_cue(int32_t next_cue) { return next_cue - 1; }

// The show time a seek action goes to from a frame at `now` that shows cue
// `current`: seek_back and seek_forward 1000 ms back or on, previous_cue and
// next_cue to the time of the cue before or after `current` (the first cue
// at most, the last cue at least: the last one ends the show), to_start 0.
// Never below 0 nor past INT32_MAX. Nothing for any other action.
std::optional<int32_t> seek_target(PlayerAction action, int32_t now, int32_t current, const Cue* table);

// The scene loop: when a frame at `now` would reach the time of the cue
// after `current`, the show goes back to the time of `current` instead, so
// that the loop never passes into the next cue. Nothing while no cue has
// fired or none follows.
std::optional<int32_t> loop_back_time(int32_t now, int32_t current, const Cue* table);
