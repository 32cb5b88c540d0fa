#include "player/web/scene_readiness.h"

#include "show/cue_table.h"

std::vector<ShowStretch> ready_stretches(const std::vector<bool>& scene_ready) {
  std::vector<ShowStretch> stretches;
  for (int32_t cue = 0; cue + 1 < cue_count; ++cue) {
    if (static_cast<size_t>(cue) >= scene_ready.size() || !scene_ready[static_cast<size_t>(cue)]) continue;
    const int32_t from = cue_table[cue].time_ms, to = cue_table[cue + 1].time_ms;
    if (!stretches.empty() && stretches.back().to_ms == from) {
      stretches.back().to_ms = to;
    } else {
      stretches.push_back({from, to});
    }
  }
  return stretches;
}
