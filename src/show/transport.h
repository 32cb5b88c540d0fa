// The moves through a running show and where they go: the seek keys'
// targets and the scene loop. Pure rules over the cue table; the session
// carries them out.
#pragma once

#include <cstdint>
#include <optional>

#include "core/frame.h"

// What an input event asks of a running show.
enum class PlayerAction {
  none,
  quit,            // Escape released, or the window's close request
  pause,           // Space: pause, or resume
  seek_back,       // Left: 1 s back
  seek_forward,    // Right: 1 s forward
  previous_cue,    // Page Up: to the start of the previous cue
  next_cue,        // Page Down: to the start of the next cue
  to_start,        // Home: to show time 0
  loop,            // L: loop the current cue's scene, or stop looping
  overlay,         // T: the time overlay on or off
  full_screen,     // Alt+Enter: window or full screen
  delay_later,     // +: the sound is heard 10 ms later than assumed (the picture waits more)
  delay_earlier,   // -: 10 ms earlier
};

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
