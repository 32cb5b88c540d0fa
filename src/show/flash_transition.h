// One value followed over frames for flashes (a window's mean luminance or
// red amount): a transition is a move of at least a threshold from the
// extreme the value reached since the last counted transition, the other
// way from that one, with the darker of the two ends below a level.
// Reversals smaller than the threshold on the way (a flicker on a fade)
// neither split a change into two nor hide one.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

class FlashTransitions {
 public:
  // The value moves to `v`; true when this completes a transition.
  bool step(double v, double threshold, double darker_below) {
    if (!started_) {
      started_ = true;
      low_ = high_ = v;
      return false;
    }
    low_ = std::min(low_, v);
    high_ = std::max(high_, v);
    int8_t dir = 0;
    if (counted_dir_ <= 0 && reaches(low_, v, threshold, darker_below)) dir = 1;
    if (dir == 0 && counted_dir_ >= 0 && reaches(high_, v, threshold, darker_below)) dir = -1;
    if (dir == 0) return false;
    // The next transition goes the other way, from the extreme reached from here on.
    counted_dir_ = dir;
    low_ = high_ = v;
    return true;
  }

 private:
  // Means come from differences of sums: a change meant as exactly the
  // threshold still counts.
  static bool reaches(double from, double to, double threshold, double darker_below) {
    return std::fabs(to - from) >= threshold - 1e-9 && std::min(from, to) < darker_below;
  }

  double low_ = 0, high_ = 0;  // the extremes since the last counted transition
  int8_t counted_dir_ = 0;     // of the last counted transition: +1, -1, 0 before the first
  bool started_ = false;
};
