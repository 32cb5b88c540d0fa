#include "show/transport.h"

#include <algorithm>

namespace {

int32_t cue_count_of(const Cue* table) {
  int32_t n = 0;
  while (table[n].start != nullptr) ++n;
  return n;
}

int32_t clamp_time(int64_t ms) { return static_cast<int32_t>(std::clamp<int64_t>(ms, 0, INT32_MAX)); }

}  // namespace

std::optional<int32_t> seek_target(PlayerAction action, int32_t now, int32_t current, const Cue* table) {
  const int32_t count = cue_count_of(table);
  switch (action) {
    case PlayerAction::seek_back:
      return clamp_time(int64_t{now} - 1000);
    case PlayerAction::seek_forward:
      return clamp_time(int64_t{now} + 1000);
    case PlayerAction::previous_cue:
    case PlayerAction::next_cue: {
      if (count == 0) return 0;
      const int32_t step = action == PlayerAction::previous_cue ? -1 : 1;
      const int32_t cue = std::clamp(current + step, 0, count - 1);
      return clamp_time(table[cue].time_ms);
    }
    case PlayerAction::to_start:
      return 0;
    default:
      return std::nullopt;
  }
}

std::optional<int32_t> loop_back_time(int32_t now, int32_t current, const Cue* table) {
  if (current < 0 || table[current].start == nullptr || table[current + 1].start == nullptr) return std::nullopt;
  if (now < table[current + 1].time_ms) return std::nullopt;
  return clamp_time(table[current].time_ms);
}
