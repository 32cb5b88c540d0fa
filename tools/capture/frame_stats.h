// Per-scene render times of a capture, for --stats.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

class FrameStats {
 public:
  // One frame of the scene started by cue `cue` took `ns` nanoseconds.
  void add(int32_t cue, int64_t ns) { times_[cue].push_back(ns); }
  // A table: cue, frames, minimum, median and maximum milliseconds per frame.
  void print(std::FILE* out) const;

 private:
  std::map<int32_t, std::vector<int64_t>> times_;
};
