// The show clock: milliseconds since an anchor tick, on a 32-bit wrapping
// millisecond tick counter that is always read with wrap-around subtraction.
#pragma once

#include <atomic>
#include <cstdint>

using TickSource = uint32_t (*)();

// A monotonic millisecond counter of the process: the default tick source.
uint32_t steady_ticks();

class ShowClock {
 public:
  explicit ShowClock(TickSource source = steady_ticks) : source_(source) {}
  ShowClock(const ShowClock&) = delete;
  ShowClock& operator=(const ShowClock&) = delete;

  // The player points the clock at the platform's counter; tests inject their own.
  void use_source(TickSource source) { source_ = source; }
  uint32_t ticks() const { return source_(); }

  // The anchor: the tick at which the show clock reads 0. Written before the
  // sound starts and once more from the audio thread (start_in), read every
  // frame; a single atomic word, so a frame sees the old or the new value.
  void start_at(uint32_t tick) { start_tick_.store(tick); }
  void start_in(uint32_t delay_ms) { start_at(ticks() + delay_ms); }
  uint32_t start_tick() const { return start_tick_.load(std::memory_order_relaxed); }

  // Show time: ticks since the anchor, wrap-around, read as signed.
  int32_t read() const { return static_cast<int32_t>(ticks() - start_tick()); }

  // start_in in the shape of the soundtrack's first-sound report, whose
  // context is the clock: show time 0 is when the first sound is heard.
  static void start_in(void* clock, uint32_t delay_ms) { static_cast<ShowClock*>(clock)->start_in(delay_ms); }

 private:
  TickSource source_;
  std::atomic<uint32_t> start_tick_{0};
};
