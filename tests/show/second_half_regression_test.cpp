// Second-half scenes under conditions the shared fixture does not create:
// pictures of differing sizes (the fixture gives all word pictures one size
// and all thumbnails another, so a scene that keeps the wrong picture's size
// passes there), and a first frame that arrives late inside a scene.
#include <algorithm>
#include <cmath>

#include "effects/compositor.h"
#include "show/scenes/blurred_sequence_scene.h"
#include "show_fixture.h"

namespace {

constexpr double pi = 3.141592653589793;

class SecondHalfRegression : public ShowFixture {
 protected:
  CompositorState* comp(int n) { return state_at<CompositorState>(n); }
  void expect_rects(int n, int32_t width, int32_t height) {
    EXPECT_EQ(comp(n)->src_w, width) << "object " << n;
    EXPECT_EQ(comp(n)->dst_w, width) << "object " << n;
    EXPECT_EQ(comp(n)->src_h, height) << "object " << n;
    EXPECT_EQ(comp(n)->dst_h, height) << "object " << n;
  }
};

// Some objects take each new picture's size; others keep the size their
// builder took from the first picture (or from the screen).
TEST_F(SecondHalfRegression, SwitchedPicturesTakeTheirOwnSizeOnlyWhereTheSceneSaysSo) {
  resize_picture(61, 420, 310);   // laptop 2: drawn over the screen with laptop 1's 400x300
  resize_picture(79, 97, 23);     // "whenever"
  resize_picture(80, 61, 33);     // "whereever"
  resize_picture(217, 420, 310);  // mixer 2: keeps mixer 1's 400x300
  resize_picture(176, 44, 40);    // first thumbnail of block 1: the slot keeps 36x36
  resize_picture(191, 150, 40);   // second panorama caption
  resize_picture(198, 101, 27);   // first credit of block 1

  run(64000);
  EXPECT_EQ(comp(2)->src, picture(61));
  EXPECT_EQ(comp(2)->src_w, 400);
  EXPECT_EQ(comp(2)->src_h, 300);
  EXPECT_EQ(comp(2)->dst_w, 400);
  EXPECT_EQ(comp(2)->dst_h, 300);

  run(68000);
  EXPECT_EQ(comp(3)->src, picture(79));
  expect_rects(3, 97, 23);
  EXPECT_EQ(comp(4)->src, picture(80));
  expect_rects(4, 61, 33);

  run(128062);  // slot 1 of the mixer table
  EXPECT_EQ(comp(5)->src, picture(217));
  expect_rects(5, 400, 300);

  run(148000);
  EXPECT_EQ(comp(6)->src, picture(176));
  expect_rects(6, 36, 36);

  run(152000);
  EXPECT_EQ(comp(4)->src, picture(191));
  expect_rects(4, 150, 40);
  EXPECT_EQ(comp(5)->src, picture(191));
  expect_rects(5, 150, 40);

  run(164000);
  EXPECT_EQ(comp(4)->src, picture(198));
  expect_rects(4, 101, 27);
}

// A gliding word sets only its position and opacity; its picture and row
// come from the frames before the glide. A scene whose first frame is
// already inside the glide draws the word on the builder's row 135.
TEST_F(SecondHalfRegression, WordGlideEnteredLateKeepsTheBuildersRow) {
  run(112000 + 2000);
  const int32_t lead_x = static_cast<int32_t>(400.0 - std::sin(250 * pi * 0.5 / 2250.0) * 250.0);
  EXPECT_EQ(comp(3)->src, picture(136));
  EXPECT_EQ(comp(3)->dst_y, 135);
  EXPECT_EQ(comp(3)->dst_x, lead_x);
  EXPECT_EQ(comp(4)->dst_y, 135);

  run(112000 + 4100);  // between the glides both words rest on picture B's row
  EXPECT_EQ(comp(3)->src, picture(137));
  EXPECT_EQ(comp(3)->dst_y, 137);
  EXPECT_EQ(comp(4)->dst_y, 137);
}

}  // namespace
