// The show clock: milliseconds since an anchor tick, on a 32-bit wrapping
// millisecond tick counter that is always read with wrap-around subtraction.
//
// The clock follows the sound. It runs on the tick counter, anchored where
// the first sound is heard; the audio side also tells, after every chunk it
// hands out, how far the device has been fed (hear_sound_from). Normally the
// two agree and the clock reads exactly ticks - anchor. When the process (or
// its audio thread) was stopped or starved - suspended at the terminal, held
// in a debugger, a paused virtual machine, a long scheduling stall - the
// ticks ran on while the device got nothing to play: the clock is then moved
// back onto the sound, so that picture and sound agree again. Only the
// reader of the clock (the frame loop) moves it after the first anchoring;
// the audio side only publishes its position (no locks on either side).
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>

using TickSource = uint32_t (*)();

// A monotonic millisecond counter of the process: the default tick source.
uint32_t steady_ticks();

// How far the tick clock may run ahead of the sound before it is moved back.
// On a running device the next chunk is due every chunk's duration (46 ms for
// 8192 bytes), so being later than this means it was not fed.
inline constexpr int32_t clock_follow_tolerance_ms = 50;

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
  void start_at(uint32_t tick) { start_tick_.store(tick, std::memory_order_relaxed); }
  // The sound handed out now, which stands for show time sound_ms (0 for a
  // show started at its beginning), is heard delay_ms from now: the clock
  // reads sound_ms then.
  void start_in(uint32_t delay_ms, int64_t sound_ms = 0) {
    start_at(ticks() + delay_ms - static_cast<uint32_t>(sound_ms));
  }
  uint32_t start_tick() const { return start_tick_.load(std::memory_order_relaxed); }

  // Audio thread, after each chunk it hands out (after the first chunk's
  // start_in): the show time (ms) at which that chunk begins to be heard.
  // It is heard one chunk after it was handed out, so the device cannot be
  // playing anything later than this plus the time until the next chunk is
  // due.
  void hear_sound_from(int64_t show_ms) { sound_position_.store(show_ms, std::memory_order_release); }
  // Forgets the published position: the clock runs on the ticks alone.
  void forget_sound() { sound_position_.store(no_sound, std::memory_order_release); }

  // The show clock at `tick`: tick - anchor in 32-bit wrap-around arithmetic
  // read as signed. If that is more than clock_follow_tolerance_ms past the
  // published sound position, the clock reads the sound position instead and
  // the anchor moves so that it runs on from there.
  int32_t at(uint32_t tick);
  // The show clock now.
  int32_t read() { return at(ticks()); }

  // start_in and hear_sound_from in the shape of the soundtrack's listener,
  // whose context is the clock.
  static void start_in(void* clock, uint32_t delay_ms, int64_t sound_ms) {
    static_cast<ShowClock*>(clock)->start_in(delay_ms, sound_ms);
  }
  static void hear_sound_from(void* clock, int64_t show_ms) {
    static_cast<ShowClock*>(clock)->hear_sound_from(show_ms);
  }

 private:
  static constexpr int64_t no_sound = std::numeric_limits<int64_t>::min();

  TickSource source_;
  std::atomic<uint32_t> start_tick_{0};
  std::atomic<int64_t> sound_position_{no_sound};
};
