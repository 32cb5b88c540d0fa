#include "show/flash_plan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "core/frame.h"
#include "show/cue_table.h"
#include "show/flash_transition.h"
#include "show/linear_light.h"
#include "show/show.h"
#include "show/show_time_text.h"

namespace {

// Frames are read at every fourth pixel both ways; windows of half that
// width and height go every second sample.
constexpr int32_t grid_width = screen_width / 4, grid_height = screen_height / 4;
constexpr int32_t window_step = 2;
// The contrasts tried, each followed over the whole show; the last resort
// keeps every swing of light (at most 1) below a transition (0.1).
constexpr int32_t contrasts[] = {contrast_one, 768, 560, 400, 288, 208, 150, 108};
constexpr size_t contrast_count = std::size(contrasts);
constexpr int32_t last_resort_contrast = 92;
// Transitions in a second: this many soften; at most kept_count are left.
// (The limit is six; the margin covers other frame rates, which see other
// random draws and other in-between frames.)
constexpr int32_t hot_count = 5;
constexpr int32_t kept_count = 3;
// Four transitions a second, for more than three seconds of five, soften too.
constexpr int32_t steady_count = 4;
constexpr int64_t second_frames = plan_fps;
constexpr int32_t margin_ms = 100;
// Stretches closer than this are softened as one.
constexpr int32_t join_gap_ms = 1000;
constexpr double luminance_scale = 10000.0 * linear_one;

int32_t ms_of_frame(int64_t frame) { return static_cast<int32_t>(frame * 1000 / plan_fps); }

struct Window {
  int32_t x0, y0, x1, y1;  // summed-area corners
};

// Window positions from 0 to `last` every window_step, and `last` itself.
std::vector<int32_t> positions(int32_t last) {
  std::vector<int32_t> p;
  for (int32_t x = 0; x < last; x += window_step) p.push_back(x);
  p.push_back(last);
  return p;
}

// One window under one contrast: its transitions and the frames of those
// within the last second (the newest few).
struct Follow {
  FlashTransitions transitions;
  std::array<int64_t, 8> frames{};
  int32_t first = 0, count = 0;  // a queue in `frames`

  int32_t add(bool transition, int64_t frame) {
    while (count > 0 && frames[static_cast<size_t>(first)] <= frame - second_frames) {
      first = (first + 1) % static_cast<int32_t>(frames.size());
      --count;
    }
    if (transition) {
      if (count == static_cast<int32_t>(frames.size())) first = (first + 1) % count, --count;
      frames[static_cast<size_t>((first + count) % static_cast<int32_t>(frames.size()))] = frame;
      ++count;
    }
    return count;
  }
};

class Planner {
 public:
  Planner() {
    constexpr int32_t ww = grid_width / 2, wh = grid_height / 2;
    windows_.push_back({0, 0, grid_width, grid_height});
    for (int32_t y : positions(grid_height - wh)) {
      for (int32_t x : positions(grid_width - ww)) windows_.push_back({x, y, x + ww, y + wh});
    }
    follows_.resize(windows_.size() * contrast_count);
    sums_.assign(static_cast<size_t>(grid_width + 1) * (grid_height + 1), 0);
  }

  void add(const uint32_t* screen) {
    constexpr size_t stride = grid_width + 1;
    for (int32_t y = 0; y < grid_height; ++y) {
      const uint32_t* row = screen + static_cast<size_t>(4 * y + 2) * screen_width + 2;
      int64_t across = 0;
      for (int32_t x = 0; x < grid_width; ++x) {
        across += luminance_of_pixel(row[4 * x]);
        sums_[(y + 1) * stride + x + 1] = sums_[y * stride + x + 1] + across;
      }
    }
    std::array<uint8_t, contrast_count> worst{};
    for (size_t i = 0; i < windows_.size(); ++i) {
      const Window& w = windows_[i];
      const int64_t sum = sums_[w.y1 * stride + w.x1] - sums_[w.y0 * stride + w.x1] - sums_[w.y1 * stride + w.x0] +
                          sums_[w.y0 * stride + w.x0];
      const double v = static_cast<double>(sum) / (luminance_scale * (w.x1 - w.x0) * (w.y1 - w.y0));
      for (size_t k = 0; k < contrast_count; ++k) {
        // Kept at contrast c, a swing is c times as large: it counts from
        // 0.1 / c. Away from the frame as drawn, the darker end is taken
        // to be below 0.8 (the mean moves it).
        const double threshold = 0.1 * contrast_one / contrasts[k];
        const double darker_below = k == 0 ? 0.8 : 2.0;
        Follow& f = follows_[i * contrast_count + k];
        const int32_t count = f.add(f.transitions.step(v, threshold, darker_below), frames_);
        worst[k] = static_cast<uint8_t>(std::max<int32_t>(worst[k], count));
      }
    }
    worst_.push_back(worst);
    frame_luminance_.push_back(sums_.back() / (grid_width * grid_height));
    ++frames_;
  }

  std::vector<SoftenedStretch> stretches() const {
    // Spans of frames whose transitions make a frame hot.
    std::vector<std::pair<int64_t, int64_t>> spans;
    int64_t steady = 0;
    for (int64_t f = 0; f < frames_; ++f) {
      steady += worst_[f][0] >= steady_count;
      if (f >= 5 * second_frames) steady -= worst_[f - 5 * second_frames][0] >= steady_count;
      if (worst_[f][0] >= hot_count) spans.emplace_back(std::max<int64_t>(0, f - second_frames + 1), f);
      if (steady > 3 * second_frames) spans.emplace_back(std::max<int64_t>(0, f - 5 * second_frames + 1), f);
    }
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<int64_t, int64_t>> joined;
    for (const auto& [a, b] : spans) {
      if (!joined.empty() && ms_of_frame(a) - ms_of_frame(joined.back().second + 1) < join_gap_ms) {
        joined.back().second = std::max(joined.back().second, b);
      } else {
        joined.emplace_back(a, b);
      }
    }
    std::vector<SoftenedStretch> out;
    for (const auto& [a, b] : joined) {
      // The largest contrast that keeps the stretch's frames (and the second
      // after, still within reach of its transitions) within kept_count.
      const int64_t end = std::min(frames_ - 1, b + second_frames);
      int32_t contrast = last_resort_contrast;
      for (size_t k = 1; k < contrast_count; ++k) {
        int32_t most = 0;
        for (int64_t f = a; f <= end; ++f) most = std::max<int32_t>(most, worst_[f][k]);
        if (most <= kept_count) {
          contrast = contrasts[k];
          break;
        }
      }
      int64_t total = 0;
      for (int64_t f = a; f <= b; ++f) total += frame_luminance_[f];
      const int64_t mean = total / (b - a + 1) / 10000;
      out.push_back({std::max(0, ms_of_frame(a) - margin_ms), ms_of_frame(b + 1) + margin_ms, contrast, mean});
    }
    return out;
  }

 private:
  std::vector<Window> windows_;
  std::vector<int64_t> sums_;       // summed-area table of luminance, of luminance_scale
  std::vector<Follow> follows_;     // per window, per contrast
  std::vector<std::array<uint8_t, contrast_count>> worst_;  // per frame: most transitions in a second, per contrast
  std::vector<int64_t> frame_luminance_;                    // per frame: the mean, of luminance_scale
  int64_t frames_ = 0;
};

}  // namespace

std::vector<SoftenedStretch> find_softened_stretches(ImageStore& pictures) {
  std::vector<uint32_t> screen(static_cast<size_t>(screen_width) * screen_height, 0);
  Planner planner;
  {
    Show show(std::move(pictures), screen.data());
    const int32_t end = cue_table[cue_count - 1].time_ms;
    for (int64_t f = 0; ms_of_frame(f) < end && !show.quit_requested; ++f) {
      frame_step(show, cue_table, ms_of_frame(f));
      planner.add(screen.data());
    }
    pictures = show.take_pictures();
  }
  std::srand(1);
  return planner.stretches();
}

std::string softened_stretches_text(const std::vector<SoftenedStretch>& stretches) {
  std::string out;
  for (const SoftenedStretch& s : stretches) {
    char contrast[32];
    std::snprintf(contrast, sizeof contrast, " at contrast %.2f\n", static_cast<double>(s.contrast) / contrast_one);
    out += "softened " + format_show_time(s.from_ms) + " - " + format_show_time(s.to_ms) + contrast;
  }
  return out;
}
