// The start-up check of the pictures' sizes: one line naming the first
// picture whose size a scene cannot use, its size and the size needed.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "show/show_files.h"
#include "image/picture_size_check.h"
#include "reliability_support.h"

namespace {

using reliability::fitting_size;

// Image records without pixels: the check only looks at the sizes.
class Sizes {
 public:
  Sizes() {
    for (int32_t i = 0; i < picture_count; ++i) {
      const auto size = fitting_size(i);
      images_[i] = {nullptr, size.width, size.height};
      pointers_[i] = &images_[i];
    }
  }
  void set(int32_t index, int32_t width, int32_t height) { images_[index] = {nullptr, width, height}; }
  const Image* const* pictures() const { return pointers_.data(); }

 private:
  std::array<Image, picture_count> images_{};
  std::array<const Image*, picture_count> pointers_{};
};

TEST(PictureSizeCheck, PicturesOfTheFittingSizesPass) {
  Sizes sizes;
  EXPECT_EQ(picture_size_check(sizes.pictures()), "");
  for (int32_t i = 0; i < picture_count; ++i) EXPECT_EQ(picture_size_problem(i, sizes.pictures()), "") << i;
  // Out-of-range indices have no rule.
  EXPECT_EQ(picture_size_problem(-1, sizes.pictures()), "");
  EXPECT_EQ(picture_size_problem(picture_count, sizes.pictures()), "");
}

TEST(PictureSizeCheck, LineNamesTheFileItsSizeAndTheSizeNeeded) {
  struct Case {
    int32_t index, width, height;
    std::string expected;
  };
  const Case cases[] = {
      {15, 401, 300,
       "Picture data/traffic1.jpg is 401x300 pixels; the show needs exactly 400x300 "
       "(traffic photographs are copied one to one onto the screen)"},
      {61, 640, 480,
       "Picture data/laptop2.jpg is 640x480 pixels; the show needs exactly 400x300 "
       "(the size of data/laptop1.jpg)"},
      {172, 1158, 300,
       "Picture data/lapinkulta.jpg is 1158x300 pixels; the show needs at least 1159x300 "
       "(panorama scrolled through 400x300 from src_x up to 759)"},
      {0, 127, 32,
       "Picture data/convexa.png is 127x32 pixels; the show needs at most 126x32 "
       "(event name at x 8, y 150, left of the colon at x 135)"},
      {32, 250, 236,
       "Picture data/train.png is 250x236 pixels; the show needs a width of at least 250 and "
       "a height of 60 to 235 (cut-out train resting at x 150, y 65)"},
      {121, 640, 480,
       "Picture data/stairs1.jpg is 640x480 pixels; the show needs a width of exactly 400 and "
       "a height of at least 300 (stairs photograph blurred onto the screen)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    Sizes sizes;
    sizes.set(c.index, c.width, c.height);
    EXPECT_EQ(picture_size_check(sizes.pictures()), c.expected);
    EXPECT_EQ(picture_size_problem(c.index, sizes.pictures()), c.expected);
    EXPECT_EQ(c.expected.find('\n'), std::string::npos);
  }
}

TEST(PictureSizeCheck, FirstOffenderInStoreOrderIsReported) {
  Sizes sizes;
  sizes.set(200, 500, 500);
  sizes.set(4, 538, 300);  // one column short of the pan
  EXPECT_NE(picture_size_check(sizes.pictures()).find("data/shipyard1.jpg is 538x300"), std::string::npos);

  // A wrong reference picture is reported itself; the pictures that must
  // match it are then measured against it and pass.
  Sizes slot;
  slot.set(41, 30, 30);
  slot.set(42, 30, 30);
  slot.set(43, 30, 30);
  EXPECT_EQ(picture_size_check(slot.pictures()), "");
  slot.set(41, 42, 41);
  slot.set(42, 42, 41);
  slot.set(43, 42, 41);
  EXPECT_NE(picture_size_check(slot.pictures()).find("data/factory2small1.png is 42x41"), std::string::npos);
  // A slot picture of another size than the slot's first.
  Sizes mismatch;
  mismatch.set(43, 40, 41);
  EXPECT_EQ(picture_size_check(mismatch.pictures()),
            "Picture data/factory2small3.png is 40x41 pixels; the show needs exactly 41x41 "
            "(the size of data/factory2small1.png)");
}

}  // namespace
