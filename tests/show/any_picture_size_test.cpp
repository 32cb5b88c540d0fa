// The whole show over pictures of sizes the start-up check refuses (every
// picture 1x1, or of sizes scattered far from anything the scenes expect):
// the effects clip every rectangle, so nothing is read or written outside
// an image. The check refuses such pictures because they would be drawn
// wrongly, not to keep memory safe; the sanitizer build proves the latter.
#include "image/image_store.h"
#include "show/picture_size_check.h"
#include "show_fixture.h"

namespace {

class AnyPictureSize : public ShowFixture {
 protected:
  void resize_all(PictureSize (*size_of)(int32_t)) {
    for (int32_t i = 0; i < picture_count; ++i) {
      image_free(image_store[i]);
      const PictureSize size = size_of(i);
      image_store[i] = image_create(size.width, size.height);
      fill_fixture_picture(image_store[i], static_cast<uint32_t>(i) + 1, true);
    }
  }
};

PictureSize one_pixel(int32_t) { return {1, 1}; }
PictureSize scattered(int32_t i) { return {1 + i * 97 % 1300, 1 + i * 61 % 420}; }

TEST_F(AnyPictureSize, WholeShowStaysInsideItsImages) {
  for (auto size_of : {one_pixel, scattered}) {
    resize_all(size_of);
    EXPECT_NE(picture_size_check(image_store), "");
    clear_display_list();
    next_cue = 0;
    quit_requested = 0;
    for (int32_t t = 0; t < 184000; t += 97) run(t);
    run(184000);
    EXPECT_EQ(quit_requested, 1);
  }
}

}  // namespace
