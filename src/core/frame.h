// One frame of the show without any platform: cue dispatch and the
// display-list walk for a given show time, on a run state. The player, the
// offline renderer and the tests all drive exactly this code.
#pragma once

#include <cstdint>

#include "core/clock.h"
#include "core/display_list.h"

struct RunState;

// A cue of the show's script: at or after time_ms, start(run, cue) replaces
// the scene. `row` is the start function's parameter row (or null), so one
// function can serve several cues; cue_with_row below hands it over typed.
// A table of cues ends with an entry whose start is null.
struct Cue {
  int32_t time_ms;
  void (*start)(RunState& run, const Cue& cue);
  const void* row;
};

// The run state of one show, what the frame step works on. A fresh one is a
// show at its start; starting again is making a new one.
struct RunState {
  ShowClock clock;
  int32_t next_cue = 0;  // index of the next cue to fire
  DisplayList display_list;
  bool quit_requested = false;  // ends the frame loop after the current frame
};

// The cue at time_ms whose start function takes a parameter row of type Row:
// Start is handed `row` as the Row it was given as.
template <class Row, void (*Start)(RunState& run, const Cue& cue, const Row& row)>
constexpr Cue cue_with_row(int32_t time_ms, const Row& row) {
  return {time_ms, [](RunState& run, const Cue& cue) { Start(run, cue, *static_cast<const Row*>(cue.row)); }, &row};
}

// Fires, in table order, every cue whose time is at most now (signed
// comparison), advancing next_cue; never passes the terminating entry.
void dispatch_cues(RunState& run, const Cue* table, int32_t now);

// Walks the display list from the head: update (if any) with the list's
// scene record, then render (if any), of each object with now; next is read
// after both calls.
void walk_display_list(RunState& run, int32_t now);

// Dispatches the due cues, then walks the display list.
void frame_step(RunState& run, const Cue* table, int32_t now);

// What the frame loop needs from a platform: showing the finished frame and
// handling the input that arrived meanwhile (which may set quit_requested).
struct FrameHooks {
  void (*present)(void* context);
  void (*poll_events)(void* context);
  void* context;
};

// The show's frame loop: while quit_requested is false (tested before the
// first frame and after each), one frame is: read the show clock once,
// frame_step, present, poll events. A request made during a frame never cuts
// it short. No pacing of its own: frames follow as fast as present returns.
void run_frame_loop(RunState& run, const Cue* table, const FrameHooks& hooks);

// The last cue: frees the display list and requests the end of the show.
void end_show(RunState& run, const Cue& cue);
