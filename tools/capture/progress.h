// A progress bar on the standard error stream, drawn only when it is a
// terminal: percentage, frames per second and time left.
#pragma once

#include <chrono>
#include <cstdint>

class Progress {
 public:
  explicit Progress(int64_t total_frames);
  void update(int64_t frames_done);
  // Ends the bar's line.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  int64_t total_;
  bool enabled_;
  Clock::time_point start_;
  Clock::time_point last_draw_;
};
