#include "frame_stats.h"

#include <algorithm>

void FrameStats::print(std::FILE* out) const {
  std::fprintf(out, "%4s %8s %10s %10s %10s\n", "cue", "frames", "min ms", "median ms", "max ms");
  for (auto [cue, ns] : times_) {
    std::sort(ns.begin(), ns.end());
    const auto ms = [](int64_t v) { return v / 1e6; };
    std::fprintf(out, "%4d %8zu %10.3f %10.3f %10.3f\n", cue, ns.size(), ms(ns.front()), ms(ns[ns.size() / 2]),
                 ms(ns.back()));
  }
}
