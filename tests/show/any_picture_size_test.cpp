// The whole show over pictures of sizes the start-up check refuses (every
// picture 1x1, or of sizes scattered far from anything the scenes expect):
// the effects clip every rectangle, so nothing is read or written outside
// an image. The check refuses such pictures because they would be drawn
// wrongly, not to keep memory safe; the sanitizer build proves the latter.
#include <utility>

#include "show/picture_size_check.h"
#include "show_fixture.h"

namespace {

using Size = std::pair<int32_t, int32_t>;

Size one_pixel(int32_t) { return {1, 1}; }
Size scattered(int32_t i) { return {1 + i * 97 % 1300, 1 + i * 61 % 420}; }

class AnyPictureSize : public ShowFixture {};

TEST_F(AnyPictureSize, WholeShowStaysInsideItsImages) {
  for (auto size_of : {one_pixel, scattered}) {
    forget_show();
    for (int32_t i = 0; i < picture_count; ++i) resize_picture(i, size_of(i).first, size_of(i).second);
    EXPECT_NE(picture_size_check(show().pictures().images()), "");
    for (int32_t t = 0; t < 184000; t += 97) run(t);
    run(184000);
    EXPECT_TRUE(show().quit_requested);
  }
}

}  // namespace
