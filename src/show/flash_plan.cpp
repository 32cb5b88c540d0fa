#include "show/flash_plan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
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
// Transitions in a second: this many (the limit is more than six) soften,
// and at most kept_count are left, a margin for other frame rates, which see
// other random draws and other frames in between.
constexpr int32_t hot_count = 6;
constexpr int32_t kept_count = 3;
// Four transitions a second, for more than three seconds of five, soften too.
constexpr int32_t steady_count = 4;
constexpr int64_t second_frames = plan_fps;
// Softened before the first transition and after the last.
constexpr int32_t margin_ms = 150;
// Stretches closer than this are softened as one, around one mean light,
// each piece of it at its own contrast.
constexpr int32_t join_gap_ms = 1000;
constexpr int64_t piece_frames = 2 * second_frames;

// What a window follows: its mean relative luminance, and its mean amount of
// saturated red, (R - G - B) * 320 / 255 where R / (R + G + B) >= 0.8.
struct Measure {
  double scale;  // of the sums
  double change;
  double darker_below;
};
constexpr double anywhere = 1e9;  // no darker end required
// As drawn, a swing counts from this share of the limit: a window's mean
// read at every fourth pixel may be some thousandths off the mean of all its
// pixels (and the checker's windows lie between ours), so a swing just under
// the limit here may be one just over it there, and at high frame rates a
// few such swings make a second too many.
constexpr double drawn_share = 0.95;
constexpr Measure measures[] = {{10000.0 * linear_one, 0.1, 0.8}, {255.0, 20.0, anywhere}};

int64_t red_of_pixel(uint32_t pixel) {
  const int64_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  return r == 0 || 5 * r < 4 * (r + g + b) ? 0 : (r - g - b) * 320;
}

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
    follows_.resize(2 * windows_.size() * contrast_count);
    for (auto& sums : sums_) sums.assign(static_cast<size_t>(grid_width + 1) * (grid_height + 1), 0);
  }

  void add(const uint32_t* screen) {
    constexpr size_t stride = grid_width + 1;
    for (int32_t y = 0; y < grid_height; ++y) {
      const uint32_t* row = screen + static_cast<size_t>(4 * y + 2) * screen_width + 2;
      int64_t light = 0, red = 0;
      for (int32_t x = 0; x < grid_width; ++x) {
        light += luminance_of_pixel(row[4 * x]);
        red += red_of_pixel(row[4 * x]);
        sums_[0][(y + 1) * stride + x + 1] = sums_[0][y * stride + x + 1] + light;
        sums_[1][(y + 1) * stride + x + 1] = sums_[1][y * stride + x + 1] + red;
      }
    }
    std::array<uint8_t, contrast_count> worst{};
    std::pair<int64_t, int64_t> hot{frames_, -1}, steady{frames_, -1};
    for (size_t m = 0; m < 2; ++m) {
      const std::vector<int64_t>& sums = sums_[m];
      for (size_t i = 0; i < windows_.size(); ++i) {
        const Window& w = windows_[i];
        const int64_t sum = sums[w.y1 * stride + w.x1] - sums[w.y0 * stride + w.x1] - sums[w.y1 * stride + w.x0] +
                            sums[w.y0 * stride + w.x0];
        const double v = static_cast<double>(sum) / (measures[m].scale * (w.x1 - w.x0) * (w.y1 - w.y0));
        for (size_t k = 0; k < contrast_count; ++k) {
          // Kept at contrast c, a swing is about c times as large (a red one
          // less: the red pales): it counts from limit / c. Away from the
          // frame as drawn, the darker end is taken to be below 0.8 (the
          // mean moves it).
          const double threshold = measures[m].change * (k == 0 ? drawn_share : 1.0) * contrast_one / contrasts[k];
          const double darker_below = k == 0 ? measures[m].darker_below : anywhere;
          Follow& f = follows_[(m * windows_.size() + i) * contrast_count + k];
          const int32_t count = f.add(f.transitions.step(v, threshold, darker_below), frames_);
          worst[k] = static_cast<uint8_t>(std::max<int32_t>(worst[k], count));
          // As drawn: the first and last of the transitions that make the
          // frame hot, or steady, which the softening must cover.
          if (k == 0 && count >= steady_count) {
            const int64_t first = f.frames[static_cast<size_t>(f.first)];
            const int64_t last = f.frames[static_cast<size_t>((f.first + count - 1) % 8)];
            if (count >= hot_count) hot = {std::min(hot.first, first), std::max(hot.second, last)};
            steady = {std::min(steady.first, first), std::max(steady.second, last)};
          }
        }
      }
    }
    worst_.push_back(worst);
    hot_.push_back(hot);
    steady_.push_back(steady);
    frame_luminance_.push_back(sums_[0].back() / (grid_width * grid_height));
    ++frames_;
  }

  // The stretches from the frames so far; `open_after` frames on, a stretch
  // ending there or later may still grow, and `settled_ms` (if asked) is set
  // to the time before which the frames shown are final.
  std::vector<SoftenedStretch> stretches(int64_t open_after = INT64_MAX, int32_t* settled_ms = nullptr) const {
    if (settled_ms != nullptr) {
      *settled_ms = std::max(0, ms_of_frame(std::max<int64_t>(0, open_after)) - margin_ms - softening_ramp_ms);
    }
    // Spans of frames whose transitions make a frame hot.
    std::vector<std::pair<int64_t, int64_t>> spans;
    int64_t steady = 0;
    for (int64_t f = 0; f < frames_; ++f) {
      steady += worst_[f][0] >= steady_count;
      if (f >= 5 * second_frames) steady -= worst_[f - 5 * second_frames][0] >= steady_count;
      if (worst_[f][0] >= hot_count) spans.push_back(hot_[f]);
      // Once steady, the seconds at four: those before stay under four seconds of five.
      if (steady > 3 * second_frames && worst_[f][0] >= steady_count) {
        spans.push_back(steady_[f]);
      }
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
      if (settled_ms != nullptr && b >= open_after) {
        *settled_ms = std::min(*settled_ms, std::max(0, ms_of_frame(a) - margin_ms - softening_ramp_ms));
        settled_ms = nullptr;
      }
      int64_t total = 0;
      for (int64_t f = a; f <= b; ++f) total += frame_luminance_[f];
      const int64_t mean = total / (b - a + 1) / 10000;
      // Piece by piece, the largest contrast that keeps the piece's frames
      // (and the second after, still within reach of its transitions) within
      // kept_count; the light eases from one contrast to the next.
      for (int64_t p = a; p <= b; p += piece_frames) {
        const int64_t q = std::min(b, p + piece_frames - 1);
        const int64_t end = std::min(frames_ - 1, q + second_frames);
        int32_t contrast = last_resort_contrast;
        for (size_t k = 1; k < contrast_count; ++k) {
          int32_t most = 0;
          for (int64_t f = p; f <= end; ++f) most = std::max<int32_t>(most, worst_[f][k]);
          if (most <= kept_count) {
            contrast = contrasts[k];
            break;
          }
        }
        const int32_t from = p == a ? std::max(0, ms_of_frame(a) - margin_ms) : ms_of_frame(p);
        const int32_t to = ms_of_frame(q + 1) + (q == b ? margin_ms : 0);
        if (p != a && out.back().contrast == contrast) {
          out.back().to_ms = to;
        } else {
          out.push_back({from, to, contrast, mean});
        }
      }
    }
    return out;
  }

 private:
  std::vector<Window> windows_;
  std::array<std::vector<int64_t>, 2> sums_;  // summed-area tables of luminance and red, as `measures` scale them
  std::vector<Follow> follows_;               // per measure, per window, per contrast
  std::vector<std::array<uint8_t, contrast_count>> worst_;  // per frame: most transitions in a second, per contrast
  std::vector<int64_t> frame_luminance_;                    // per frame: the mean luminance, of measures[0].scale
  std::vector<std::pair<int64_t, int64_t>> hot_, steady_;   // per frame: see add()
  int64_t frames_ = 0;
};

}  // namespace

struct SofteningSearch::State {
  explicit State(const ImageStore& pictures) : screen(static_cast<size_t>(screen_width) * screen_height, 0) {
    show = std::make_unique<Show>(&pictures, screen.data());
  }
  std::vector<uint32_t> screen;
  std::unique_ptr<Show> show;
  Planner planner;
  int64_t frame = 0;
  bool done = false;
};

SofteningSearch::SofteningSearch(const ImageStore& pictures) : state_(std::make_unique<State>(pictures)) {}

SofteningSearch::~SofteningSearch() = default;

bool SofteningSearch::run(int64_t frames) {
  State& s = *state_;
  const int32_t end = cue_table[cue_count - 1].time_ms;
  for (; frames > 0 && ms_of_frame(s.frame) < end && !s.show->quit_requested; --frames, ++s.frame) {
    frame_step(*s.show, cue_table, ms_of_frame(s.frame));
    s.planner.add(s.screen.data());
  }
  s.done = ms_of_frame(s.frame) >= end || s.show->quit_requested;
  return s.done;
}

SofteningProgress SofteningSearch::progress() const {
  const State& s = *state_;
  SofteningProgress p;
  if (s.done) {
    p.stretches = s.planner.stretches();
    p.settled_ms = cue_table[cue_count - 1].time_ms;
  } else {
    p.stretches = s.planner.stretches(s.frame - int64_t{SofteningSearch::settle_ms} * plan_fps / 1000, &p.settled_ms);
  }
  return p;
}

std::vector<SoftenedStretch> find_softened_stretches(const ImageStore& pictures) {
  SofteningSearch search(pictures);
  while (!search.run(plan_fps)) {
  }
  return search.progress().stretches;
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
