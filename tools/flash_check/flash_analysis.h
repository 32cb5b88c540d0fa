// Photosensitive-flash analysis of a video, frame by frame.
//
// Each frame is reduced to the mean relative luminance (linearised sRGB,
// 0.2126 R + 0.7152 G + 0.0722 B, 0 to 1) of the whole frame and of every
// window a quarter of its size (half its width by half its height) over it,
// and to the mean "red amount" of the same windows: (R - G - B) * 320 / 255
// for saturated red pixels (R / (R + G + B) >= 0.8), 0 elsewhere.
//
// Every window follows its value over time. A transition is a move of the
// value from the extreme it reached since the window's last counted
// transition, the other way from that one: at least 0.1 of luminance with the
// darker of the two below 0.8, or at least 20 of red amount. A flash is a
// pair of opposing transitions; reversals smaller than the limit on the way
// (a flicker on a fade) neither split a change into two nor hide one. The
// video fails where one window counts more than 6 transitions (3 flashes)
// within one second, and (the extended rule) where windows count 4 or more
// transitions a second for more than 4 s within any 5 s.
#pragma once

#include <cstdint>
#include <vector>

#include "show/flash_transition.h"

struct FlashVideo {
  int32_t width = 400;
  int32_t height = 300;
  int64_t fps_num = 60;  // frames per second: fps_num / fps_den
  int64_t fps_den = 1;
};

// The limits, as counts of transitions.
inline constexpr int32_t flash_transitions_allowed = 6;  // in any one second
inline constexpr int32_t flash_extended_level = 4;       // a second, for the extended rule

enum class FlashKind { luminance, red, extended };

// A stretch of the video that fails: from the first frame of its first
// failing span (one second, or five for the extended rule) to its last
// failing frame, with the worst count in it: transitions in one second, or
// for the extended rule the frames (of five seconds) whose second held 4 or
// more transitions.
struct FlashStretch {
  FlashKind kind;
  int64_t first_frame;
  int64_t last_frame;
  int32_t worst;
};

struct FlashResult {
  int64_t frames = 0;
  int32_t worst_luminance = 0;  // most luminance transitions in one second, any window
  int32_t worst_red = 0;        // the same for red
  std::vector<FlashStretch> stretches;  // by kind, then by time
  bool passes() const { return stretches.empty(); }
};

class FlashAnalyser {
 public:
  explicit FlashAnalyser(const FlashVideo& video);

  // One frame: width x height pixels of 4 bytes, blue, green, red, alpha
  // (alpha is ignored), rows without gaps.
  void add_frame(const uint8_t* bgra);

  // The stretches so far (the analyser can go on taking frames).
  FlashResult result() const;

  // Window positions are taken every `window_step()` pixels (and at the far
  // edges): every position for frames up to 400 pixels wide.
  int32_t window_step() const { return step_; }
  int64_t window_count() const { return static_cast<int64_t>(windows_.size()); }

 private:
  struct Window {
    int32_t x0, y0, x1, y1;  // summed-area corners
  };
  // One measure (luminance or red): the windows' tracks and their
  // transitions within the last second.
  struct Measure {
    std::vector<FlashTransitions> tracks;
    std::vector<int32_t> in_second;                  // per window
    std::vector<std::vector<int32_t>> transitions;   // per frame of the last second: windows
  };

  void sum_frame(const uint8_t* bgra);
  // The frame's worst count: transitions within the last second, any window.
  int32_t follow(Measure& m, const std::vector<double>& table, double threshold, double darker_below);

  FlashVideo video_;
  int32_t step_ = 1;
  int64_t second_frames_;  // frames within one second of a frame, itself included
  int64_t five_seconds_frames_;
  std::vector<Window> windows_;
  std::vector<double> luminance_sums_;  // summed-area tables, (width + 1) x (height + 1)
  std::vector<double> red_sums_;
  bool any_red_ = false;
  Measure luminance_, red_;
  int64_t frames_ = 0;
  int32_t last_worst_ = 0;
  int32_t worst_luminance_ = 0, worst_red_ = 0;
  std::vector<uint8_t> elevated_frames_;  // per frame of the last five seconds: its second held 4 or more
  int64_t elevated_ = 0;                  // of them
  std::vector<FlashStretch> luminance_stretches_, red_stretches_, extended_stretches_;
};
