#include "player/web/sound_readiness.h"

#include <algorithm>

namespace {

constexpr int32_t sound_step_ms = 100;

}  // namespace

std::vector<ShowStretch> sound_stretches(const Soundtrack& music, int32_t end_ms) {
  std::vector<ShowStretch> stretches;
  for (int32_t ms = 0; ms < end_ms; ms += sound_step_ms) {
    const int32_t to = std::min(ms + sound_step_ms, end_ms);
    if (music.present_until(sample_at_show_time(ms)) < sample_at_show_time(to)) continue;
    if (!stretches.empty() && stretches.back().to_ms == ms) {
      stretches.back().to_ms = to;
    } else {
      stretches.push_back({ms, to});
    }
  }
  std::vector<ShowStretch> kept;
  for (ShowStretch s : stretches) {
    if (s.to_ms < end_ms) s.to_ms -= web_sound_margin_ms;
    if (s.to_ms > s.from_ms) kept.push_back(s);
  }
  return kept;
}

std::vector<ShowStretch> common_stretches(const std::vector<ShowStretch>& a, const std::vector<ShowStretch>& b) {
  std::vector<ShowStretch> common;
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const int32_t from = std::max(a[i].from_ms, b[j].from_ms), to = std::min(a[i].to_ms, b[j].to_ms);
    if (from < to) common.push_back({from, to});
    if (a[i].to_ms < b[j].to_ms) ++i;
    else ++j;
  }
  return common;
}
