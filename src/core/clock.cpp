#include "core/clock.h"

#include <chrono>

uint32_t steady_ticks() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

int32_t ShowClock::at(uint32_t tick) {
  // The position is read first: a position published after the first chunk
  // comes after that chunk's anchoring.
  const int64_t sound = sound_position_.load(std::memory_order_acquire);
  const uint32_t anchor = start_tick_.load(std::memory_order_relaxed);
  const int32_t now = static_cast<int32_t>(tick - anchor);
  if (sound == no_sound) return now;
  // Both are compared like the clock itself, modulo 2^32, so that a show
  // running for weeks across the counter's wrap keeps following.
  const uint32_t sound_ms = static_cast<uint32_t>(sound);
  const int32_t ahead = static_cast<int32_t>(static_cast<uint32_t>(now) - sound_ms);
  if (ahead <= clock_follow_tolerance_ms) return now;
  start_tick_.store(tick - sound_ms, std::memory_order_relaxed);
  return static_cast<int32_t>(sound_ms);
}
