#include "core/clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

uint32_t steady_ticks() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

namespace {

// How long the first frame of a start waits for its sound at most: a device
// that never calls back (or calls back late) leaves the clock on the ticks.
constexpr int32_t hold_limit_ms = 500;
// The audio side's smoothing: each report moves the heard anchor this share
// of the way towards it.
constexpr int64_t smoothing_divisor = 16;

}  // namespace

void ShowClock::start_at(uint32_t tick) {
  anchor_ = fixed(tick);
  last_tick_ = tick;
  // Whatever was heard before belongs to the sound before this start.
  following_ = false;
  holding_ = false;
  seen_generation_ = generation_.load(std::memory_order_acquire);
}

void ShowClock::publish_heard(uint64_t anchor, bool jump) {
  heard_anchor_.store(anchor, std::memory_order_release);
  if (jump) generation_.fetch_add(1, std::memory_order_release);
}

void ShowClock::device_holds(double ms) {
  device_holds_ = ms < 0 ? -1 : static_cast<int64_t>(std::lround(ms * (int64_t{1} << fraction_bits)));
}

uint64_t ShowClock::heard_from_now(int64_t show_ms) const {
  const int64_t ahead = device_holds_ >= 0 ? device_holds_ : fixed_ms(chunk_ms_);
  return (fixed(ticks() - static_cast<uint32_t>(show_ms)) + static_cast<uint64_t>(ahead)) & fixed_mask;
}

void ShowClock::start_in(uint32_t delay_ms, int64_t sound_ms) {
  chunk_ms_ = delay_ms;
  estimating_ = true;
  heard_estimate_ = heard_from_now(sound_ms);
  outliers_ = 0;
  publish_heard(heard_estimate_, true);
}

void ShowClock::hear_sound_from(int64_t show_ms) {
  sound_position_.store(show_ms, std::memory_order_release);
  // Without a first sound (a platform that anchors the clock itself) there
  // is nothing to follow.
  if (!estimating_) return;
  const uint64_t reported = heard_from_now(show_ms);
  const int64_t off = difference(reported, heard_estimate_);
  if (std::llabs(off) > fixed_ms(clock_step_ms)) {
    // One late callback is jitter; several in a row are a step.
    if (++outliers_ < clock_step_reports) return;
    outliers_ = 0;
    heard_estimate_ = reported;
    publish_heard(heard_estimate_, true);
    return;
  }
  outliers_ = 0;
  heard_estimate_ = (heard_estimate_ + static_cast<uint64_t>(off / smoothing_divisor)) & fixed_mask;
  publish_heard(heard_estimate_, false);
}

void ShowClock::sound_heard_from(double tick_ms) {
  const auto whole = static_cast<int64_t>(std::floor(tick_ms * (int64_t{1} << fraction_bits)));
  publish_heard(static_cast<uint64_t>(whole) & fixed_mask, !following_);
}

int32_t ShowClock::at(uint32_t tick) {
  // The generation is read first: the heard anchor read after it is at least
  // the one published with it.
  const uint32_t generation = generation_.load(std::memory_order_acquire);
  const uint64_t heard = heard_anchor_.load(std::memory_order_acquire);
  const int64_t sound = sound_position_.load(std::memory_order_acquire);
  const int64_t elapsed = std::clamp<int64_t>(static_cast<int32_t>(tick - last_tick_), 0, 1000);
  last_tick_ = tick;
  const uint64_t target = (heard + static_cast<uint64_t>(fixed_ms(delay_ms_))) & fixed_mask;
  if (generation != seen_generation_) {
    // A first sound, or a step in the sound: taken at once.
    seen_generation_ = generation;
    anchor_ = target;
    following_ = true;
    holding_ = false;
  } else if (following_) {
    const int64_t off = difference(target, anchor_);
    if (std::llabs(off) > fixed_ms(clock_jump_ms)) {
      anchor_ = target;
    } else {
      const int64_t most = fixed_ms(elapsed) * clock_trim_per_mille / 1000;
      anchor_ = (anchor_ + static_cast<uint64_t>(std::clamp(off, -most, most))) & fixed_mask;
    }
  } else if (holding_) {
    if (static_cast<int32_t>(tick - start_tick()) - hold_ms_ < hold_limit_ms) return hold_ms_;
    // No sound came: the clock runs on the ticks from the held frame.
    holding_ = false;
    anchor_ = fixed(tick - static_cast<uint32_t>(hold_ms_));
  }
  const int32_t now = static_cast<int32_t>(tick - start_tick());
  if (sound == no_sound) return last_ms_ = now;
  // Compared like the clock itself, modulo 2^32, so that a show running for
  // weeks across the counter's wrap keeps following. The picture never runs
  // further past the sound handed out than the tolerance: it stops there
  // until more comes (the device runs dry meanwhile, so the sound heard
  // stops as long), and never goes back.
  const uint32_t sound_ms = static_cast<uint32_t>(sound) - static_cast<uint32_t>(delay_ms_);
  const int32_t ahead = static_cast<int32_t>(static_cast<uint32_t>(now) - sound_ms);
  if (ahead <= clock_follow_tolerance_ms) return last_ms_ = now;
  // Held at the last reading when it lies within the tolerance (a callback
  // late), else at the sound (after a stall the sound handed out since may
  // lie further on).
  const int32_t since = static_cast<int32_t>(static_cast<uint32_t>(last_ms_) - sound_ms);
  const uint32_t held =
      since > 0 && since <= clock_follow_tolerance_ms ? static_cast<uint32_t>(last_ms_) : sound_ms;
  anchor_ = fixed(tick - held);
  return last_ms_ = static_cast<int32_t>(held);
}
