// Reduced flashing: what a dimmed frame is, and that the show's own frame
// stays as drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "show/reduced_flashing.h"

namespace {

double linear(uint32_t byte) {
  const double c = byte / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

TEST(ReducedFlashing, DimmedPixelsStayBelowAFlashOfLuminance) {
  struct Row {
    uint32_t in, level, out;
  } rows[] = {
      {0xFFFFFFFFu, dimmed_channel_max, 0xFF585858u},  // white: 88 of 255, alpha kept
      {0x00000000u, dimmed_channel_max, 0x00000000u},
      {0x80FF8001u, dimmed_channel_max, 0x80582C00u},  // rounded to nearest
      {0x12345678u, 255, 0x12345678u},
  };
  for (const Row& r : rows) {
    uint32_t p = r.in;
    dim_pixels(&p, 1, r.level);
    EXPECT_EQ(p, r.out) << std::hex << r.in;
  }
  // Any dimmed frame's relative luminance, anywhere, is below 0.1: no change
  // between dimmed frames can be a flash.
  EXPECT_LT(linear(dimmed_channel_max), 0.1);
  // The show begins and ends as it is, and no level is below the dimmed one.
  EXPECT_EQ(reduced_flashing_level(0), 255u);
  EXPECT_EQ(reduced_flashing_level(183999), 255u);
  for (int64_t ms = 0; ms < 184000; ms += 7) EXPECT_GE(reduced_flashing_level(ms), dimmed_channel_max);
}

TEST(ReducedFlashing, ShowsADimmedCopyOnlyWhereOnAndDimmed) {
  std::vector<uint32_t> screen(16, 0xFFFFFFFFu);
  int64_t dimmed_ms = 0;
  while (reduced_flashing_level(dimmed_ms) != dimmed_channel_max) dimmed_ms += 100;

  ReducedFlashing off(false), on(true);
  EXPECT_EQ(off.shown(screen.data(), screen.size(), dimmed_ms), screen.data());
  EXPECT_EQ(on.shown(screen.data(), screen.size(), 0), screen.data());
  const uint32_t* shown = on.shown(screen.data(), screen.size(), dimmed_ms);
  ASSERT_NE(shown, screen.data());
  EXPECT_EQ(std::vector<uint32_t>(shown, shown + screen.size()), std::vector<uint32_t>(16, 0xFF585858u));
  EXPECT_EQ(screen, std::vector<uint32_t>(16, 0xFFFFFFFFu));  // the show draws over it next
}

}  // namespace
