// Pictures of sizes the show accepts but its own generator never makes: a
// title larger than its bar, photographs drawn through the scaled path. The
// scenes draw them as their rules say, pixel for pixel.
#include <initializer_list>

#include "show_fixture.h"

namespace {

class RoomyPictures : public ShowFixture {
 protected:
  // Opaque pictures of a size of their own, before the show is made.
  void resize(std::initializer_list<int32_t> pictures, int32_t width, int32_t height) {
    for (int32_t id : pictures) resize_picture(id, width, height, false);
  }

  // Row y of the screen against the nearest-pixel stretch of `src` over the
  // whole screen (positions by repeated addition), after an AddFill of
  // strength 0 (each channel's lowest bit set, alpha 255).
  void expect_stretched_row(const Image* src, int32_t y) {
    const double step_x = static_cast<double>(src->width) / screen_width;
    const double step_y = static_cast<double>(src->height) / screen_height;
    double sy = 0;
    for (int32_t j = 0; j < y; ++j) sy += step_y;
    double sx = 0;
    for (int32_t x = 0; x < screen_width; ++x) {
      const uint32_t sample = pixel(src, static_cast<int32_t>(sx), static_cast<int32_t>(sy));
      ASSERT_EQ(screen_pixel(x, y), ((sample & 0xFEFEFEu) + 0x010101u) | 0xFF000000u) << x << ", " << y;
      sx += step_x;
    }
  }
};

TEST_F(RoomyPictures, LargerTitleCoversTheFrozenBackgroundAroundTheBar) {
  resize({pic::sava}, 320, 90);
  start(3, 1990);
  const uint32_t left = screen_pixel(10, 10);
  const uint32_t right = screen_pixel(390, 290);
  run(23500 + 2000);
  // Centred one to one at (40, 105), opacity 255: a plain copy over the bar
  // and beyond it; the rest of the screen keeps the last enlarged frame.
  for (int32_t y = 0; y < 90; ++y) {
    for (int32_t x = 0; x < 320; ++x) ASSERT_EQ(screen_pixel(40 + x, 105 + y), pixel(picture(pic::sava), x, y));
  }
  EXPECT_EQ(screen_pixel(10, 10), left);
  EXPECT_EQ(screen_pixel(390, 290), right);
}

TEST_F(RoomyPictures, PhotographsOfOtherSizesTakeTheScaledPath) {
  resize({pic::traffic1, pic::traffic2, pic::traffic3, pic::traffic4, pic::traffic5, pic::traffic6, pic::traffic7,
          pic::traffic8},
         480, 360);
  start(4, 1000);  // traffic photograph 2, no smear, no caption, flash of strength 0
  for (int32_t y : {0, 151, 299}) expect_stretched_row(picture(pic::traffic2), y);

  forget_show();
  resize({pic::endscreen}, 640, 480);
  start(24, 6200);  // the fade's opacity is ignored; rows from 297 on are melted
  for (int32_t y : {0, 150, 296}) expect_stretched_row(picture(pic::endscreen), y);
}

}  // namespace
