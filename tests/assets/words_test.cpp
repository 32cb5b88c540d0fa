// Word pictures: lines of words share a baseline, the title is an opaque
// plate, labels carry their extra columns, haloed words keep a dark rim.
#include <gtest/gtest.h>

#include <cmath>

#include "pictures/catalogue.h"
#include "pictures/families.h"

namespace {

using assets::Canvas;

// Last row with any ink of the given opacity or more.
int last_row_with_alpha(const Canvas& c, float min_alpha) {
  for (int y = c.height() - 1; y >= 0; --y)
    for (int x = 0; x < c.width(); ++x)
      if (c.at(x, y)[3] >= min_alpha) return y;
  return -1;
}

int first_column_with_alpha(const Canvas& c, float min_alpha) {
  for (int x = 0; x < c.width(); ++x)
    for (int y = 0; y < c.height(); ++y)
      if (c.at(x, y)[3] >= min_alpha) return x;
  return -1;
}

TEST(Words, OpeningLineSharesOneBaselineOnScreen) {
  // convexa at y 150, the colon at y 161, the year at y 151 (store 0, 1, 2):
  // the lowest ink of each sits on the same screen row.
  const int top[] = {150, 161, 151};
  int bottom[3];
  for (int i = 0; i < 3; ++i) bottom[i] = top[i] + last_row_with_alpha(assets::render_picture(i), 0.5f);
  EXPECT_NEAR(bottom[0], bottom[2], 1);
  EXPECT_NEAR(bottom[0], bottom[1], 1);
}

TEST(Words, YearStartsASpaceAfterItsLeftEdge) {
  const Canvas year = assets::render_picture(2);
  EXPECT_GE(first_column_with_alpha(year, 0.1f), 6);
}

TEST(Words, TitleIsAFullPlateWithLettersOnBlack) {
  const Canvas title = assets::render_picture(14);
  const assets::Recipe& r = assets::picture_recipe(14);
  EXPECT_EQ(title.width(), r.width);
  EXPECT_EQ(title.height(), r.height);
  for (int y = 0; y < title.height(); ++y)
    for (int x = 0; x < title.width(); ++x) {
      const float* p = title.at(x, y);
      ASSERT_LE(p[0], p[3] + 1e-5f) << x << "," << y;  // colour never brighter than its coverage
    }
}

TEST(Words, LabelsAreWideEnoughForTheirHundredColumnReads) {
  for (int i : {29, 30}) {
    const Canvas label = assets::render_picture(i);
    EXPECT_GE(label.width(), 100);
    // The letters fit in the first 100 columns, the rest is transparent.
    for (int y = 0; y < label.height(); ++y)
      for (int x = 100; x < label.width(); ++x) ASSERT_EQ(label.at(x, y)[3], 0.0f);
  }
}

TEST(Words, HaloedWordsHaveADarkRimAroundLightLetters) {
  const Canvas energy = assets::render_picture(44);
  int light = 0, dark_rim = 0;
  for (int y = 0; y < energy.height(); ++y)
    for (int x = 0; x < energy.width(); ++x) {
      const float* p = energy.at(x, y);
      light += p[3] > 0.9f && p[0] > 0.9f;
      dark_rim += p[3] > 0.1f && p[0] < 0.2f;
    }
  EXPECT_GT(light, 100);
  EXPECT_GT(dark_rim, 100);
}

TEST(Thumbnails, OneParentRenderServesTheWholeSlot) {
  const Canvas& a = assets::shared_render(40);
  const Canvas& b = assets::shared_render(40);
  EXPECT_EQ(&a, &b);
  const Canvas t1 = assets::render_picture(41), t2 = assets::render_picture(42);
  ASSERT_EQ(t1.width(), t2.width());
  double diff = 0;
  for (int y = 0; y < t1.height(); ++y)
    for (int x = 0; x < t1.width(); ++x) diff += std::fabs(t1.at(x, y)[1] - t2.at(x, y)[1]);
  EXPECT_GT(diff, 1.0) << "the slot's pictures show different parts";
  EXPECT_EQ(t1.at(0, 0)[3], 0.0f);  // rounded corner
}

}  // namespace
