#include "core/sound_clock.h"

#include <atomic>

#include "core/runtime.h"

namespace {
std::atomic<int64_t> sound_position{sound_not_started};
}  // namespace

void publish_sound_position(int64_t show_ms) { sound_position.store(show_ms, std::memory_order_release); }

void reset_sound_position() { sound_position.store(sound_not_started, std::memory_order_release); }

int32_t show_clock_at(uint32_t tick) {
  // The position is read first: a position published by the first callback
  // comes after that callback's anchoring of start_tick.
  const int64_t sound = sound_position.load(std::memory_order_acquire);
  const uint32_t anchor = start_tick.load(std::memory_order_relaxed);
  const int32_t now = static_cast<int32_t>(tick - anchor);
  if (sound == sound_not_started) return now;
  // Both are compared like the clock itself, modulo 2^32, so that a show
  // running for weeks across the counter's wrap keeps following.
  const uint32_t sound_ms = static_cast<uint32_t>(sound);
  const int32_t ahead = static_cast<int32_t>(static_cast<uint32_t>(now) - sound_ms);
  if (ahead <= clock_follow_tolerance_ms) return now;
  start_tick.store(tick - sound_ms, std::memory_order_relaxed);
  return static_cast<int32_t>(sound_ms);
}
