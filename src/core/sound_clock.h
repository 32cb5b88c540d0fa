// The show clock follows the sound. The clock runs on the tick counter,
// anchored by the first audio callback; the callback also tells how far the
// device has been fed. Normally the two agree and the clock reads exactly
// ticks - start_tick. When the process (or its audio thread) was stopped or
// starved - suspended at the terminal, held in a debugger, a paused virtual
// machine, a long scheduling stall - the ticks ran on while the device got
// nothing to play: the clock is then moved back onto the sound, so that
// picture and sound agree again.
//
// Only the frame loop moves the clock after the first anchoring; the audio
// callback only publishes its position (no locks on either side).
#pragma once

#include <cstdint>
#include <limits>

// How far the tick clock may run ahead of the sound before it is moved back.
// On a running device the next chunk is due every chunk's duration (46 ms for
// 8192 bytes), so being later than this means it was not fed.
inline constexpr int32_t clock_follow_tolerance_ms = 50;

// Published sound position before the first callback: the clock is not
// checked against the sound then.
inline constexpr int64_t sound_not_started = std::numeric_limits<int64_t>::min();

// Audio thread, after each callback: the show time (ms) at which the sound
// handed out by that callback begins to be heard. It is heard one chunk after
// it was handed out (that is how the first callback anchors the clock), so
// the device cannot be playing anything later than this plus the time until
// the next callback is due.
void publish_sound_position(int64_t show_ms);

// Forgets the published position (the soundtrack was closed or reopened).
void reset_sound_position();

// The show clock at `tick`: tick - start_tick in 32-bit wrap-around
// arithmetic read as signed. If that is more than clock_follow_tolerance_ms
// past the published sound position, the clock reads the sound position
// instead and start_tick is moved so that it runs on from there.
int32_t show_clock_at(uint32_t tick);
