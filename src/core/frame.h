// One frame of the show without any platform: cue dispatch and the
// display-list walk for a given show time. The player and the offline
// renderer both drive exactly this code.
#pragma once

#include <cstdint>

// A cue of the show's script: at or after time_ms, start() replaces the scene.
// A table of cues ends with {0, nullptr}.
struct Cue {
  int32_t time_ms;
  void (*start)();
};

// Fires, in table order, every cue whose time is at most now (signed
// comparison), advancing next_cue; never passes the terminating entry.
void dispatch_cues(const Cue* table, int32_t now);

// Walks the display list from the head: update (if any) then render (if any)
// of each object with (state, now); next is read after both calls.
void walk_display_list(int32_t now);

// Sets now_ms, dispatches the due cues, walks the display list.
void frame_step(const Cue* table, int32_t now);

// The show clock: ticks since start_tick, wrap-around, read as signed; moved
// back onto the sound when it has run ahead of it (core/sound_clock.h).
int32_t read_show_clock();

// What the frame loop needs from a platform: showing the finished frame and
// handling the input that arrived meanwhile (which may set quit_requested).
struct FrameHooks {
  void (*present)(void* context);
  void (*poll_events)(void* context);
  void* context;
};

// The show's frame loop: while quit_requested is 0 (tested before the first
// frame and after each), one frame is: read the show clock once, frame_step,
// present, poll events. A request made during a frame never cuts it short.
// No pacing of its own: frames follow as fast as present returns.
void run_frame_loop(const Cue* table, const FrameHooks& hooks);

// The last cue: frees the display list and requests the end of the show.
void end_show();

// Empties the display list (every scene builder starts with this).
void clear_display_list();
