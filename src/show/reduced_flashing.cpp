#include "show/reduced_flashing.h"

namespace {

// Where the show flashes, with a margin: the opening's accents, the mobile
// computing scene's beat flashes, and the blurred sequences' beat cuts.
// The last one ends on the cut to the panorama.
constexpr DimmedStretch dimmed_stretches[] = {
    {22500, 25000, 200, 200},
    {64500, 71300, 200, 200},
    {113900, 144000, 200, 0},
};

}  // namespace

uint32_t reduced_flashing_level(int64_t ms) {
  for (const DimmedStretch& s : dimmed_stretches) {
    if (ms < s.from_ms || ms >= s.to_ms) continue;
    // How far into its fade (in or out) the light is, of `fade`.
    int64_t into = 0, fade = 1;
    if (ms - s.from_ms < s.fade_in_ms) {
      into = s.fade_in_ms - (ms - s.from_ms), fade = s.fade_in_ms;
    } else if (s.to_ms - ms <= s.fade_out_ms) {
      into = s.fade_out_ms - (s.to_ms - ms) + 1, fade = s.fade_out_ms;
    }
    return dimmed_channel_max + static_cast<uint32_t>((255 - dimmed_channel_max) * into / fade);
  }
  return 255;
}

void dim_pixels(uint32_t* pixels, size_t count, uint32_t level) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = pixels[i];
    const uint32_t r = (((p >> 16) & 0xFF) * level + 127) / 255;
    const uint32_t g = (((p >> 8) & 0xFF) * level + 127) / 255;
    const uint32_t b = ((p & 0xFF) * level + 127) / 255;
    pixels[i] = (p & 0xFF000000u) | (r << 16) | (g << 8) | b;
  }
}

const uint32_t* ReducedFlashing::shown(const uint32_t* screen, size_t count, int64_t ms) {
  const uint32_t level = on_ ? reduced_flashing_level(ms) : 255;
  if (level == 255) return screen;
  dimmed_.assign(screen, screen + count);
  dim_pixels(dimmed_.data(), count, level);
  return dimmed_.data();
}
