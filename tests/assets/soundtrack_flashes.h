// The moments the show's scenes flash, in show milliseconds, written out
// independently of the score: every cue, the two-second beats of the traffic
// and train scenes, the four-second beats of the mobile computing, fuel
// window and credits scenes, and the hit list of the four blurred sequence
// scenes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

inline std::vector<int32_t> show_cue_times() {
  return {0,     8000,  16000, 23500, 32000,  40000,  48000,  52000,  56000,
          60000, 64000, 72000, 80000, 84000,  88000,  92000,  96000,  104000,
          112000, 120000, 128000, 136000, 144000, 160000, 176000, 184000};
}

inline std::vector<int32_t> show_flash_times() {
  std::vector<int32_t> t = show_cue_times();
  for (int32_t ms : {34000, 36000, 38000, 42000, 44000, 46000, 68000, 100000, 164000, 168000, 172000})
    t.push_back(ms);
  for (int32_t cue : {112000, 120000, 128000, 136000})
    for (int32_t d : {2750, 3000, 3375, 3625, 3875, 6750, 7000, 7375, 7625, 7875}) t.push_back(cue + d);
  std::sort(t.begin(), t.end());
  return t;
}
