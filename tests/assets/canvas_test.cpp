// The drawing primitives every picture is built from: compositing rules,
// anti-aliased coverage, resampling, blur and the deterministic noise.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "pictures/canvas.h"

namespace {

using assets::Canvas;
using assets::rgb;
using assets::Rgb;

TEST(Canvas, SourceOverKeepsStraightColourAndAccumulatesCoverage) {
  Canvas c(2, 1, rgb(0x000000), 0.0f);
  c.blend(0, 0, {1, 0, 0}, 0.5f);
  // Over a transparent pixel the colour is the source's, not darkened.
  EXPECT_FLOAT_EQ(c.at(0, 0)[0], 1.0f);
  EXPECT_FLOAT_EQ(c.at(0, 0)[3], 0.5f);
  c.blend(0, 0, {0, 0, 1}, 0.5f);
  EXPECT_FLOAT_EQ(c.at(0, 0)[3], 0.75f);
  EXPECT_NEAR(c.at(0, 0)[0], 1.0f / 3, 1e-6);  // 0.25 of red against 0.5 of blue
  EXPECT_NEAR(c.at(0, 0)[2], 2.0f / 3, 1e-6);
  // Outside the canvas nothing happens (and nothing is touched).
  c.blend(-1, 0, {1, 1, 1}, 1);
  c.blend(2, 0, {1, 1, 1}, 1);
  EXPECT_FLOAT_EQ(c.at(1, 0)[3], 0.0f);
}

TEST(Canvas, RectangleEdgesCoverHalfPixelsByHalf) {
  Canvas c(6, 3, rgb(0x000000), 1.0f);
  c.fill_rect(1.0f, 0.0f, 3.5f, 3.0f, {1, 1, 1});
  EXPECT_NEAR(c.at(0, 1)[0], 0.0f, 1e-6);
  EXPECT_NEAR(c.at(1, 1)[0], 1.0f, 1e-6);
  EXPECT_NEAR(c.at(2, 1)[0], 1.0f, 1e-6);
  EXPECT_NEAR(c.at(3, 1)[0], 0.5f, 1e-6);
  EXPECT_NEAR(c.at(4, 1)[0], 0.0f, 1e-6);
}

TEST(Canvas, PolygonCoverageFollowsItsArea) {
  // A right triangle over a 8x8 square covers half of it.
  Canvas c(8, 8, rgb(0x000000), 1.0f);
  c.fill_polygon({{0, 0}, {8, 0}, {0, 8}}, Rgb{1, 1, 1});
  double sum = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) sum += c.at(x, y)[0];
  EXPECT_NEAR(sum, 32.0, 1.0);
  EXPECT_FLOAT_EQ(c.at(0, 0)[0], 1.0f);
  EXPECT_FLOAT_EQ(c.at(7, 7)[0], 0.0f);
}

TEST(Canvas, BlurKeepsFlatAreasAndTotalLightInPlace) {
  Canvas flat(20, 10, rgb(0x808080), 1.0f);
  flat.blur(3);
  EXPECT_NEAR(flat.at(0, 0)[0], 128 / 255.0f, 1e-5);
  EXPECT_NEAR(flat.at(19, 9)[1], 128 / 255.0f, 1e-5);

  Canvas dot(41, 41, rgb(0x000000), 1.0f);
  dot.at(20, 20)[0] = 1.0f;
  dot.blur(4);
  double sum = 0, mx = 0, my = 0;
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 41; ++x) {
      sum += dot.at(x, y)[0];
      mx += x * dot.at(x, y)[0];
      my += y * dot.at(x, y)[0];
    }
  EXPECT_NEAR(sum, 1.0, 1e-4);       // light is spread, not lost
  EXPECT_NEAR(mx / sum, 20.0, 1e-3);  // and not shifted
  EXPECT_NEAR(my / sum, 20.0, 1e-3);
}

TEST(Canvas, ResizeAveragesAreasAndCropClampsAtTheEdges) {
  Canvas c(4, 2, rgb(0x000000), 1.0f);
  for (int y = 0; y < 2; ++y) {
    c.at(0, y)[0] = 1.0f;
    c.at(1, y)[0] = 0.5f;
  }
  Canvas half = c.resized(2, 1);
  EXPECT_NEAR(half.at(0, 0)[0], 0.75f, 1e-6);
  EXPECT_NEAR(half.at(1, 0)[0], 0.0f, 1e-6);
  Canvas out = c.crop(-1, 0, 3, 2);  // columns left of 0 repeat column 0
  EXPECT_FLOAT_EQ(out.at(0, 0)[0], 1.0f);
  EXPECT_FLOAT_EQ(out.at(2, 1)[0], 0.5f);
}

TEST(Noise, IsDeterministicBoundedAndSmooth) {
  for (int i = 0; i < 2000; ++i) {
    const float x = i * 0.37f - 300, y = i * 0.11f + 50;
    const float v = assets::value_noise(x, y, 7);
    ASSERT_GE(v, -1.0f);
    ASSERT_LE(v, 1.0f);
    ASSERT_EQ(v, assets::value_noise(x, y, 7));
    // A hundredth of a cell further the value barely moves.
    ASSERT_LT(std::fabs(assets::value_noise(x + 0.01f, y, 7) - v), 0.05f);
    const float f = assets::fbm(x, y, 3);
    ASSERT_GE(f, -1.0f);
    ASSERT_LE(f, 1.0f);
  }
  EXPECT_NE(assets::value_noise(3.5f, 2.5f, 1), assets::value_noise(3.5f, 2.5f, 2));
}

TEST(Rng, SameSeedSameSequenceAndValuesInRange) {
  assets::Rng a(42), b(42), c(43);
  std::set<int> seen;
  bool differs = false;
  for (int i = 0; i < 1000; ++i) {
    const uint64_t x = a.next();
    ASSERT_EQ(x, b.next());
    differs |= x != c.next();
    const float u = a.uniform();
    ASSERT_GE(u, 0.0f);
    ASSERT_LT(u, 1.0f);
    b.uniform();
    const int k = a.below(7);
    b.below(7);
    ASSERT_GE(k, 0);
    ASSERT_LT(k, 7);
    seen.insert(k);
  }
  EXPECT_TRUE(differs);
  EXPECT_EQ(seen.size(), 7u);
}

}  // namespace
