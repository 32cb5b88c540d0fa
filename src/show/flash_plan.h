// Where the show is softened for viewers sensitive to flashing, found from
// the frames themselves: the show is run once ahead over the loaded pictures
// (at plan_fps, each frame read at every fourth pixel both ways) and every
// window a quarter of the screen is followed with the flash checker's
// transition rule. Where a window's transitions within one second come to
// the limit (or stay at four a second for long), the show time from the
// first to the last of those transitions is softened: the swing of light
// around the stretch's mean is kept to the largest share (`contrast`, piece
// by piece) at which the same frames make at most three transitions a
// second. The stretches come from whole-number arithmetic and are the same on
// every platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/image_store.h"

inline constexpr int32_t plan_fps = 240;
// A contrast of contrast_one keeps the frame as drawn.
inline constexpr int32_t contrast_one = 1024;
// The softening eases in over this long before a stretch and out after it.
inline constexpr int32_t softening_ramp_ms = 250;

struct SoftenedStretch {
  int32_t from_ms;   // fully softened from here
  int32_t to_ms;     // up to here
  int32_t contrast;  // of contrast_one: the share of the swing of light around `mean` kept
  int64_t mean;      // linear light, of linear_one

  bool operator==(const SoftenedStretch&) const = default;
};

// The stretches for `pictures`, in show order. The show run ahead only
// reads the pictures and draws its own random numbers: no other show is
// touched.
std::vector<SoftenedStretch> find_softened_stretches(const ImageStore& pictures);

// What a search has found so far: the stretches, final before settled_ms
// (every frame shown before it is as after the whole search; from it on
// they may still change).
struct SofteningProgress {
  std::vector<SoftenedStretch> stretches;
  int32_t settled_ms = 0;
};

// The same a slice at a time, for an edge that must not stop for long (the
// player runs it beside the show, a page could run a slice per animation
// frame). It reads `pictures`, which outlive it, through a show of its own,
// so another show may draw from them meanwhile (nothing writes to pictures
// once loaded).
//
// What the stretches are at show time T is settled once the search has gone
// settle_ms past T: a stretch begins at most a second before the frame whose
// transitions make it, joins the next one within a second, and its contrast
// looks a second past its end; a stretch still open there (its mean light is
// that of all its frames) holds the settled time back to its start.
class SofteningSearch {
 public:
  static constexpr int32_t settle_ms = 3000;

  explicit SofteningSearch(const ImageStore& pictures);
  ~SofteningSearch();
  SofteningSearch(const SofteningSearch&) = delete;
  SofteningSearch& operator=(const SofteningSearch&) = delete;

  // Runs up to `frames` more frames of the show; true once it has run whole.
  bool run(int64_t frames);
  // The stretches so far and how far they are settled (once run whole: the
  // show's end).
  SofteningProgress progress() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// One line a stretch: "softened 1:52.300 - 2:24.100 at contrast 0.30".
std::string softened_stretches_text(const std::vector<SoftenedStretch>& stretches);
