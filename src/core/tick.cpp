#include "core/tick.h"

#include <chrono>

namespace {
uint32_t steady_ticks() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
}  // namespace

TickSource tick_source = steady_ticks;

uint32_t get_tick_count() { return tick_source(); }
