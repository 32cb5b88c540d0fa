// The show clock: milliseconds since an anchor tick, on a 32-bit wrapping
// millisecond tick counter that is always read with wrap-around subtraction.
//
// The clock follows the sound as it is heard. The audio side tells, when a
// sound starts (start_in) and after every chunk it hands out
// (hear_sound_from), which show time that chunk stands for; the sound handed
// out now is heard once the device has played the sound it holds ahead of
// it: as much as the device says it holds when it can tell (a sound server
// knows its buffer and its card's latency), else one chunk (a device that
// asks for the next chunk when one is left). Each report thus gives the
// tick at which show time 0 is heard; the audio
// side smooths these (callbacks come a little early or late) into the heard
// anchor and publishes it. A jump in it that lasts (the process or its audio
// thread stopped, the device changed) is taken at once.
//
// The picture's clock (the one read) runs on the ticks from its own anchor
// and is kept on the heard one, shifted by the audio delay (the time the
// sound takes past the device, e.g. over a wireless link): a small
// difference is trimmed away smoothly, the clock running at most
// clock_trim_per_mille faster or slower, so that no frame jumps; a large one
// (more than clock_jump_ms) is taken at once. The first sound after a start
// or a move anchors it at once too. Until then, and whenever the ticks run
// more than clock_follow_tolerance_ms past the sound handed out (nothing was
// fed: a stall, or a callback late), the clock stops there until more sound
// comes.
//
// Only the reader of the clock (the frame loop) moves the picture's anchor;
// the audio side only publishes (no locks on either side).
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>

using TickSource = uint32_t (*)();

// A monotonic millisecond counter of the process: the default tick source.
uint32_t steady_ticks();

// How far the tick clock may run ahead of the sound handed out before it
// stops. On a running device the next chunk is due every chunk's
// duration (46 ms for 8192 bytes), so being later than this means it was not
// fed.
inline constexpr int32_t clock_follow_tolerance_ms = 50;
// The largest speed-up or slow-down of the picture's clock while it is
// trimmed onto the sound: 5 per mille (5 ms a second).
inline constexpr int64_t clock_trim_per_mille = 5;
// A difference from the sound larger than this is taken at once.
inline constexpr int64_t clock_jump_ms = 100;
// The audio side: a report further than this from the heard anchor is an
// outlier; clock_step_reports of them in a row are a step, taken at once.
inline constexpr int64_t clock_step_ms = 30;
inline constexpr int clock_step_reports = 3;
// The audio delay's range, in ms.
inline constexpr int32_t audio_delay_limit_ms = 1000;

class ShowClock {
 public:
  explicit ShowClock(TickSource source = steady_ticks) : source_(source) {}
  ShowClock(const ShowClock&) = delete;
  ShowClock& operator=(const ShowClock&) = delete;

  // The player points the clock at the platform's counter; tests inject their own.
  void use_source(TickSource source) { source_ = source; }
  uint32_t ticks() const { return source_(); }

  // Reader side. The anchor: the tick at which the show clock reads 0, set
  // now (before the sound starts, or by a platform that knows when its sound
  // is heard).
  void start_at(uint32_t tick);
  uint32_t start_tick() const { return static_cast<uint32_t>(anchor_ >> fraction_bits); }
  // The sound takes delay_ms (-audio_delay_limit_ms..audio_delay_limit_ms)
  // longer to be heard than the device says: the picture waits as long.
  void set_delay(int32_t delay_ms) { delay_ms_ = delay_ms; }
  int32_t delay() const { return delay_ms_; }
  // Until the next sound is heard the clock reads `ms` (the picture holds
  // the first frame of a start until its sound is heard).
  void hold_until_sound(int32_t ms) {
    hold_ms_ = ms;
    holding_ = true;
  }

  // Audio side. The sound handed out now, which stands for show time
  // sound_ms (0 for a show started at its beginning), is heard delay_ms from
  // now: the heard anchor is set to it at once.
  void start_in(uint32_t delay_ms, int64_t sound_ms = 0);
  // Before start_in or hear_sound_from, from a device that can tell: the
  // sound (ms) it holds ahead of the sound handed out now, which is heard
  // once that has played (in place of delay_ms, one chunk). Kept for the
  // reports that follow; a negative value forgets it.
  void device_holds(double ms);
  // After each chunk it hands out (the first chunk's start_in included): the
  // show time (ms) at which that chunk begins to be heard, one chunk after
  // it was handed out.
  void hear_sound_from(int64_t show_ms);
  // For a platform that knows from its output clock when its sound is heard,
  // on the reader's thread in place of the reports above: show time 0 is
  // heard at tick `tick_ms` (with a fraction). The first after a start
  // anchors the clock at once; later ones are followed as the reports are.
  void sound_heard_from(double tick_ms);
  // Forgets the published position: the clock runs on the ticks alone
  // until the next start_in.
  void forget_sound() { sound_position_.store(no_sound, std::memory_order_release); }
  // The heard anchor as last published (without the delay).
  uint32_t heard_start_tick() const {
    return static_cast<uint32_t>(heard_anchor_.load(std::memory_order_acquire) >> fraction_bits);
  }

  // The show clock at `tick` (reader side; see above).
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
  // Anchors are ticks with a fraction of 1/256 ms, modulo 2^40 (the tick
  // counter's wrap, kept).
  static constexpr int fraction_bits = 8;
  static constexpr uint64_t fixed_mask = (uint64_t{1} << (32 + fraction_bits)) - 1;
  static constexpr int64_t no_sound = std::numeric_limits<int64_t>::min();
  static uint64_t fixed(uint32_t tick) { return uint64_t{tick} << fraction_bits; }
  static int64_t fixed_ms(int64_t ms) { return ms * (int64_t{1} << fraction_bits); }
  // a - b, both anchors, as a signed difference.
  static int64_t difference(uint64_t a, uint64_t b) {
    return static_cast<int64_t>(((a - b) & fixed_mask) << (64 - 32 - fraction_bits)) >> (64 - 32 - fraction_bits);
  }
  void publish_heard(uint64_t anchor, bool jump);
  // The heard anchor that a report of show time show_ms made now gives.
  uint64_t heard_from_now(int64_t show_ms) const;

  TickSource source_;

  // Reader side.
  uint64_t anchor_ = 0;
  uint32_t last_tick_ = 0;
  uint32_t seen_generation_ = 0;
  int32_t delay_ms_ = 0;
  int32_t hold_ms_ = 0;
  int32_t last_ms_ = 0;  // the last reading while following
  bool holding_ = false;
  bool following_ = false;

  // Audio side.
  uint64_t heard_estimate_ = 0;
  uint32_t chunk_ms_ = 0;
  int64_t device_holds_ = -1;  // fixed ms, or -1: one chunk
  int outliers_ = 0;
  bool estimating_ = false;  // a first sound was reported

  // Shared: what the audio side publishes.
  std::atomic<uint64_t> heard_anchor_{0};
  std::atomic<uint32_t> generation_{0};
  std::atomic<int64_t> sound_position_{no_sound};
};
