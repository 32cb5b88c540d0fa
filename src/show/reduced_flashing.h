// Reduced flashing: the show for viewers sensitive to flashing light.
//
// Where the show flashes faster than the common guidance allows, found from
// the frames themselves for the pictures loaded (flash_plan.h), the frames
// are shown softened: every channel, in linear light, is drawn towards the
// stretch's mean light, keeping the stretch's share (`contrast`) of its swing,
// so the light still moves but no longer flashes; the softening eases in and
// out. Each frame shown is a function of its show time, the pictures and the
// frame the show drew alone: the player, the renderer and the web page show
// the same frames at any frame rate and after any seek, and every frame
// outside the stretches is the show's own. The sound is untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "show/flash_plan.h"

// The contrast (of contrast_one) and mean light of the frame at show time
// `ms` under `stretches`: contrast_one outside them and their ramps.
struct Softening {
  int32_t contrast = contrast_one;
  int64_t mean = 0;
};
Softening softening_at(const std::vector<SoftenedStretch>& stretches, int64_t ms);

// `count` words 0xAARRGGBB softened as `s` says (alpha kept).
void soften_pixels(uint32_t* pixels, size_t count, const Softening& s);

// Shows frames with reduced flashing when on.
class ReducedFlashing {
 public:
  ReducedFlashing() = default;
  explicit ReducedFlashing(std::vector<SoftenedStretch> stretches)
      : on_(true), planned_(true), stretches_(std::move(stretches)) {}

  // The frame in `screen` (`count` words), drawn at show time `ms`, as it is
  // shown: `screen` itself, or a softened copy held here until the next call
  // (the show's own frame stays as drawn: scenes draw over their last frame).
  const uint32_t* shown(const uint32_t* screen, size_t count, int64_t ms);
  bool on() const { return on_; }
  // Off keeps the stretches found, for when it is on again.
  void set_on(bool on) { on_ = on && planned_; }
  bool planned() const { return planned_; }
  const std::vector<SoftenedStretch>& stretches() const { return stretches_; }

 private:
  bool on_ = false;
  bool planned_ = false;
  std::vector<SoftenedStretch> stretches_;
  std::vector<uint32_t> softened_;
};
