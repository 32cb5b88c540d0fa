#include "flash_analysis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// A frame's channel byte as linear light, weighted for relative luminance.
struct LuminanceTables {
  std::array<double, 256> r, g, b;
};

double linear(int32_t byte) {
  const double c = byte / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

const LuminanceTables& luminance_tables() {
  static const LuminanceTables tables = [] {
    LuminanceTables t{};
    for (int32_t i = 0; i < 256; ++i) {
      t.r[i] = 0.2126 * linear(i);
      t.g[i] = 0.7152 * linear(i);
      t.b[i] = 0.0722 * linear(i);
    }
    return t;
  }();
  return tables;
}

// Saturated red, R / (R + G + B) >= 0.8, measured as (R - G - B) * 320 / 255.
double red_amount(int32_t r, int32_t g, int32_t b) {
  if (r == 0 || 5 * r < 4 * (r + g + b)) return 0;
  return (r - g - b) * 320.0 / 255.0;
}

constexpr double luminance_change = 0.1;
constexpr double luminance_darker_below = 0.8;
constexpr double red_change = 20;

// Window positions from 0 to `last` every `step`, and `last` itself.
std::vector<int32_t> positions(int32_t last, int32_t step) {
  std::vector<int32_t> p;
  for (int32_t x = 0; x < last; x += step) p.push_back(x);
  p.push_back(last);
  return p;
}

}  // namespace

FlashAnalyser::FlashAnalyser(const FlashVideo& video)
    : video_(video),
      step_(std::max(1, video.width / 400)),
      second_frames_((video.fps_num + video.fps_den - 1) / video.fps_den),
      five_seconds_frames_((5 * video.fps_num + video.fps_den - 1) / video.fps_den) {
  const int32_t ww = std::max(1, video.width / 2);
  const int32_t wh = std::max(1, video.height / 2);
  windows_.push_back({0, 0, video.width, video.height});
  for (int32_t y : positions(video.height - wh, step_)) {
    for (int32_t x : positions(video.width - ww, step_)) windows_.push_back({x, y, x + ww, y + wh});
  }
  const size_t sums = static_cast<size_t>(video.width + 1) * static_cast<size_t>(video.height + 1);
  luminance_sums_.assign(sums, 0.0);
  red_sums_.assign(sums, 0.0);
  elevated_frames_.assign(static_cast<size_t>(five_seconds_frames_), 0);
  for (Measure* m : {&luminance_, &red_}) {
    m->tracks.resize(windows_.size());
    m->in_second.assign(windows_.size(), 0);
    m->transitions.resize(static_cast<size_t>(second_frames_));
  }
}

void FlashAnalyser::sum_frame(const uint8_t* bgra) {
  const LuminanceTables& t = luminance_tables();
  const size_t stride = static_cast<size_t>(video_.width) + 1;
  any_red_ = false;
  for (int32_t y = 0; y < video_.height; ++y) {
    const uint8_t* p = bgra + static_cast<size_t>(y) * static_cast<size_t>(video_.width) * 4;
    double* lum_above = &luminance_sums_[static_cast<size_t>(y) * stride];
    double* lum = lum_above + stride;
    double* red_above = &red_sums_[static_cast<size_t>(y) * stride];
    double* red = red_above + stride;
    double lum_row = 0, red_row = 0;
    for (int32_t x = 0; x < video_.width; ++x, p += 4) {
      lum_row += t.b[p[0]] + t.g[p[1]] + t.r[p[2]];
      const double r = red_amount(p[2], p[1], p[0]);
      any_red_ = any_red_ || r > 0;
      red_row += r;
      lum[x + 1] = lum_above[x + 1] + lum_row;
      red[x + 1] = red_above[x + 1] + red_row;
    }
  }
}

int32_t FlashAnalyser::follow(Measure& m, const std::vector<double>& table, double threshold, double darker_below) {
  // The frame a second back leaves the window of counting.
  const size_t slot = static_cast<size_t>(frames_ % second_frames_);
  for (int32_t w : m.transitions[slot]) --m.in_second[static_cast<size_t>(w)];
  m.transitions[slot].clear();

  const size_t stride = static_cast<size_t>(video_.width) + 1;
  int32_t worst = 0;
  for (size_t i = 0; i < windows_.size(); ++i) {
    const Window& w = windows_[i];
    double v = 0;
    if (&table != &red_sums_ || any_red_) {
      const double sum = table[w.y1 * stride + w.x1] - table[w.y0 * stride + w.x1] - table[w.y1 * stride + w.x0] +
                         table[w.y0 * stride + w.x0];
      v = sum / (static_cast<double>(w.x1 - w.x0) * (w.y1 - w.y0));
    }
    if (m.tracks[i].step(v, threshold, darker_below)) {
      ++m.in_second[i];
      m.transitions[slot].push_back(static_cast<int32_t>(i));
    }
    worst = std::max(worst, m.in_second[i]);
  }
  return worst;
}

namespace {

// Frame `f` fails or not; a failing frame widens the kind's last stretch, or
// starts one from the first frame of the span (`span` frames) that made it
// fail.
void follow_stretches(std::vector<FlashStretch>& out, FlashKind kind, int64_t f, int64_t span, bool fails,
                      int32_t worst) {
  if (!fails) return;
  const int64_t first = std::max<int64_t>(0, f - span + 1);
  if (!out.empty() && out.back().last_frame >= std::min(f - 1, first)) {
    out.back().last_frame = f;
    out.back().worst = std::max(out.back().worst, worst);
  } else {
    out.push_back({kind, first, f, worst});
  }
}

}  // namespace

void FlashAnalyser::add_frame(const uint8_t* bgra) {
  sum_frame(bgra);
  const int32_t lum = follow(luminance_, luminance_sums_, luminance_change, luminance_darker_below);
  const int32_t red = follow(red_, red_sums_, red_change, std::numeric_limits<double>::infinity());
  last_worst_ = std::max(lum, red);
  worst_luminance_ = std::max(worst_luminance_, lum);
  worst_red_ = std::max(worst_red_, red);
  follow_stretches(luminance_stretches_, FlashKind::luminance, frames_, second_frames_,
                   lum > flash_transitions_allowed, lum);
  follow_stretches(red_stretches_, FlashKind::red, frames_, second_frames_, red > flash_transitions_allowed, red);

  // Extended rule: frames whose second (in any window, either measure) held
  // 4 or more transitions, counted over the last five seconds; more than four
  // seconds' worth of frames (count * den / num > 4) fail.
  const size_t slot = static_cast<size_t>(frames_ % five_seconds_frames_);
  elevated_ -= elevated_frames_[slot];
  elevated_frames_[slot] = last_worst_ >= flash_extended_level;
  elevated_ += elevated_frames_[slot];
  follow_stretches(extended_stretches_, FlashKind::extended, frames_, five_seconds_frames_,
                   elevated_ * video_.fps_den > 4 * video_.fps_num, elevated_);
  ++frames_;
}

FlashResult FlashAnalyser::result() const {
  FlashResult r;
  r.frames = frames_;
  r.worst_luminance = worst_luminance_;
  r.worst_red = worst_red_;
  for (const auto* kind : {&luminance_stretches_, &red_stretches_, &extended_stretches_}) {
    r.stretches.insert(r.stretches.end(), kind->begin(), kind->end());
  }
  return r;
}
