// How long the browser takes per frame: computing it (the frame step) and
// putting it on the canvas, as running means and maxima in milliseconds,
// and the spread of the compute times (median, 99th percentile).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

class FrameTimes {
 public:
  void add(double render_ms, double present_ms) {
    ++count_;
    render_sum_ += render_ms;
    present_sum_ += present_ms;
    render_max_ = std::max(render_max_, render_ms);
    present_max_ = std::max(present_max_, present_ms);
    renders_.push_back(static_cast<float>(render_ms));
  }
  int64_t count() const { return count_; }
  double render_mean() const { return count_ > 0 ? render_sum_ / static_cast<double>(count_) : 0.0; }
  double present_mean() const { return count_ > 0 ? present_sum_ / static_cast<double>(count_) : 0.0; }
  double render_max() const { return render_max_; }
  double present_max() const { return present_max_; }
  // The compute time that `fraction` (0 to 1) of the frames take at most:
  // the nearest-rank percentile; 0 without frames.
  double render_percentile(double fraction) const {
    if (renders_.empty()) return 0.0;
    std::vector<float> sorted = renders_;  // a copy: the order of arrival stays
    const double rank = std::ceil(std::clamp(fraction, 0.0, 1.0) * static_cast<double>(sorted.size()));
    const std::size_t at = rank <= 1.0 ? 0 : std::min(static_cast<std::size_t>(rank) - 1, sorted.size() - 1);
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(at), sorted.end());
    return sorted[at];
  }

 private:
  int64_t count_ = 0;
  double render_sum_ = 0, present_sum_ = 0, render_max_ = 0, present_max_ = 0;
  std::vector<float> renders_;  // a float a frame: an hour at 60 fps is under 1 MB
};
