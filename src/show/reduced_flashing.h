// Reduced flashing: the show for viewers sensitive to flashing light.
//
// Where the show flashes faster than three times a second (white flashes on
// the accents, fast cuts between light and dark pictures), the frames are
// shown dimmed: every channel scaled to at most 88 of 255, which keeps the
// mean relative luminance of any part of the screen below 0.1, so that no
// change there can make a flash. The stretches are fixed show times (constant
// data), so every frame is a function of its show time and of the frame the
// show drew alone: the player, the renderer and the web page show the same
// frames, and every frame outside the stretches is the show's own. The sound
// is untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A stretch of show time, [from_ms, to_ms), shown dimmed: the light fades
// down over its first `fade_in_ms` and back up over its last `fade_out_ms`
// (0: at once, where the show cuts anyway).
struct DimmedStretch {
  int32_t from_ms;
  int32_t to_ms;
  int32_t fade_in_ms;
  int32_t fade_out_ms;
};

// The brightest a channel is shown in a dimmed stretch, of 255.
inline constexpr uint32_t dimmed_channel_max = 88;

// The level (of 255) every channel is scaled to at show time `ms`: 255
// outside the stretches.
uint32_t reduced_flashing_level(int64_t ms);

// `count` words 0xAARRGGBB scaled to `level` of 255 (alpha kept).
void dim_pixels(uint32_t* pixels, size_t count, uint32_t level);

// Shows frames with reduced flashing when on.
class ReducedFlashing {
 public:
  explicit ReducedFlashing(bool on) : on_(on) {}

  // The frame in `screen` (`count` words), drawn at show time `ms`, as it is
  // shown: `screen` itself, or a dimmed copy held here until the next call
  // (the show's own frame stays as drawn: scenes draw over their last frame).
  const uint32_t* shown(const uint32_t* screen, size_t count, int64_t ms);
  bool on() const { return on_; }

 private:
  bool on_;
  std::vector<uint32_t> dimmed_;
};
