#include "show/reduced_flashing.h"

#include <algorithm>
#include <array>

#include "show/linear_light.h"

Softening softening_at(const std::vector<SoftenedStretch>& stretches, int64_t ms) {
  Softening s;
  for (const SoftenedStretch& st : stretches) {
    if (ms < st.from_ms - softening_ramp_ms || ms >= st.to_ms + softening_ramp_ms) continue;
    // How far into the stretch the softening has come, of the ramp.
    const int64_t into = std::min<int64_t>({softening_ramp_ms, ms - (st.from_ms - softening_ramp_ms),
                                            st.to_ms + softening_ramp_ms - 1 - ms});
    const int32_t contrast =
        contrast_one - static_cast<int32_t>((contrast_one - st.contrast) * into / softening_ramp_ms);
    if (contrast < s.contrast) s = {contrast, st.mean};
  }
  return s;
}

void soften_pixels(uint32_t* pixels, size_t count, const Softening& s) {
  std::array<uint32_t, 256> curve;
  for (uint32_t b = 0; b < 256; ++b) {
    curve[b] = byte_of_linear(s.mean + (linear_of_byte(b) - s.mean) * s.contrast / contrast_one);
  }
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = pixels[i];
    pixels[i] = (p & 0xFF000000u) | curve[(p >> 16) & 0xFF] << 16 | curve[(p >> 8) & 0xFF] << 8 | curve[p & 0xFF];
  }
}

const uint32_t* ReducedFlashing::shown(const uint32_t* screen, size_t count, int64_t ms) {
  if (!on_) return screen;
  const Softening s = softening_at(stretches_, ms);
  if (s.contrast == contrast_one) return screen;
  softened_.assign(screen, screen + count);
  soften_pixels(softened_.data(), count, s);
  return softened_.data();
}
