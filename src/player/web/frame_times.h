// How long the show's frames take: computing one (the frame step) and
// putting it on the canvas, as running means and maxima in milliseconds.
// (The page itself measures the whole animation frame: savaFrameStats.)
#pragma once

#include <algorithm>
#include <cstdint>

class FrameTimes {
 public:
  void add(double render_ms, double present_ms) {
    ++count_;
    render_sum_ += render_ms;
    present_sum_ += present_ms;
    render_max_ = std::max(render_max_, render_ms);
    present_max_ = std::max(present_max_, present_ms);
  }
  int64_t count() const { return count_; }
  double render_mean() const { return count_ > 0 ? render_sum_ / static_cast<double>(count_) : 0.0; }
  double present_mean() const { return count_ > 0 ? present_sum_ / static_cast<double>(count_) : 0.0; }
  double render_max() const { return render_max_; }
  double present_max() const { return present_max_; }

 private:
  int64_t count_ = 0;
  double render_sum_ = 0, present_sum_ = 0, render_max_ = 0, present_max_ = 0;
};
