// Reduced flashing: how a softened frame keeps the light of its stretch, how
// the softening eases in and out, and that the show's own frame stays as
// drawn.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "show/linear_light.h"
#include "show/reduced_flashing.h"

namespace {

const std::vector<SoftenedStretch> stretches = {{10000, 20000, 256, linear_one / 4}};

TEST(ReducedFlashing, SofteningEasesInAndOutAroundItsStretch) {
  struct Row {
    int64_t ms;
    int32_t contrast;
  } rows[] = {
      {0, contrast_one},
      {10000 - softening_ramp_ms - 1, contrast_one},
      {10000 - softening_ramp_ms, contrast_one},
      {10000 - softening_ramp_ms / 2, (contrast_one + 256) / 2},
      {10000, 256},
      {15000, 256},
      {20000 - 1, 256},
      {20000 + softening_ramp_ms - 1, contrast_one},
      {20000 + softening_ramp_ms, contrast_one},
  };
  for (const Row& r : rows) EXPECT_EQ(softening_at(stretches, r.ms).contrast, r.contrast) << r.ms;
}

TEST(ReducedFlashing, SoftenedPixelsKeepTheirShareOfTheSwingAroundTheMean) {
  // Every channel is drawn towards the mean in linear light: a quarter of
  // the swing is kept, so a black-to-white swing of light 1 becomes 0.25.
  std::vector<uint32_t> pixels = {0xFF000000u, 0x80FFFFFFu, 0xFF89897Fu};
  soften_pixels(pixels.data(), pixels.size(), {256, linear_one / 4});
  for (uint32_t p : pixels) {
    const int64_t l = luminance_of_pixel(p) / 10000;
    EXPECT_GE(l, linear_one / 4 - linear_one / 4 / 4 - linear_one / 100) << std::hex << p;
    EXPECT_LE(l, linear_one / 4 + 3 * linear_one / 4 / 4 + linear_one / 100) << std::hex << p;
  }
  EXPECT_EQ(pixels[1] >> 24, 0x80u);  // alpha kept
  // At full contrast every byte is itself.
  for (uint32_t b = 0; b < 256; ++b) EXPECT_EQ(byte_of_linear(linear_of_byte(b)), b);
}

TEST(ReducedFlashing, ShowsASoftenedCopyOnlyWhereOnAndSoftened) {
  std::vector<uint32_t> screen(16, 0xFFFFFFFFu);
  ReducedFlashing off, on(stretches);
  EXPECT_EQ(off.shown(screen.data(), screen.size(), 15000), screen.data());
  EXPECT_EQ(on.shown(screen.data(), screen.size(), 0), screen.data());
  const uint32_t* shown = on.shown(screen.data(), screen.size(), 15000);
  ASSERT_NE(shown, screen.data());
  EXPECT_LT(shown[0] & 0xFF, 0xFFu);
  EXPECT_EQ(screen, std::vector<uint32_t>(16, 0xFFFFFFFFu));  // the show draws over it next
  on.set_on(false);
  EXPECT_EQ(on.shown(screen.data(), screen.size(), 15000), screen.data());
}

}  // namespace
