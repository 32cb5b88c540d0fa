// The soundtrack's time grid. The music runs at 120 beats per minute: a beat
// is 500 ms, a step (sixteenth note) 125 ms and a tick (thirty-second note)
// 62.5 ms, the finest grid the scenes change on. Every event is placed at the
// sample nearest to its exact time, so an event at T ms starts at sample
// round(T * 44.1).
#pragma once

#include <cstdint>

namespace music {

constexpr int kSampleRate = 44100;
constexpr int kTicksPerStep = 2;
constexpr int kStepsPerBeat = 4;
constexpr int kStepsPerBar = 16;
constexpr int kTicksPerBar = kTicksPerStep * kStepsPerBar;

// round(ms * 44.1) for ms >= 0, halves rounded up.
constexpr int64_t ms_to_sample(int64_t ms) { return (ms * 441 + 5) / 10; }

// round(tick * 2756.25) for tick >= 0, halves rounded up.
constexpr int64_t tick_to_sample(int64_t tick) { return (tick * 11025 + 2) / 4; }

constexpr int64_t step_to_sample(int64_t step) { return tick_to_sample(step * kTicksPerStep); }

// Ticks in `ms`; only exact for multiples of 62.5 ms, which all score times are.
constexpr int64_t ms_to_tick(int64_t ms) { return ms * 2 / 125; }
constexpr bool on_tick_grid(int64_t ms) { return (ms * 2) % 125 == 0; }

constexpr int64_t seconds_to_samples(double seconds) {
  return static_cast<int64_t>(seconds * kSampleRate + 0.5);
}

static_assert(ms_to_sample(23500) == 1036350);
static_assert(tick_to_sample(ms_to_tick(3375)) == ms_to_sample(3375));

}  // namespace music
