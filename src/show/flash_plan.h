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
};

// The stretches for `pictures` (handed back as they were), in show order.
// The show run ahead draws its own random numbers: no other show is touched.
std::vector<SoftenedStretch> find_softened_stretches(ImageStore& pictures);

// The same a slice at a time, for an edge that must not stop for long (a
// page can run a few hundred frames per animation frame before its show
// starts; the pictures are the search's until it finishes).
class SofteningSearch {
 public:
  explicit SofteningSearch(ImageStore pictures);
  ~SofteningSearch();
  SofteningSearch(const SofteningSearch&) = delete;
  SofteningSearch& operator=(const SofteningSearch&) = delete;

  // Runs up to `frames` more frames of the show; true once it has run whole.
  bool run(int64_t frames);
  // Once run: the stretches, and the pictures handed back into `pictures`.
  std::vector<SoftenedStretch> finish(ImageStore& pictures);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// One line a stretch: "softened 1:52.300 - 2:24.100 at contrast 0.30".
std::string softened_stretches_text(const std::vector<SoftenedStretch>& stretches);
