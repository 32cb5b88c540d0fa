// The start-up check of the pictures' sizes: every set the scenes accept
// passes, and a picture one pixel short of a need is refused with one line
// naming the file, its size and the need. The cases come from the table of
// needs itself.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <set>
#include <span>
#include <string>
#include <utility>

#include "show/picture_needs.h"
#include "show/picture_size_check.h"
#include "show/show_files.h"
#include "support/show_data.h"

namespace {

// Image records without pixels: the check only looks at the sizes.
class Sizes {
 public:
  explicit Sizes(PictureSet set) {
    for (int32_t i = 0; i < picture_count; ++i) {
      const auto size = picture_size(i, set);
      images_[i] = {nullptr, size.width, size.height};
    }
  }
  Sizes(const Sizes&) = delete;
  Sizes& operator=(const Sizes&) = delete;
  void set(int32_t index, PictureSize size) { images_[index] = {nullptr, size.width, size.height}; }
  std::span<const Image> pictures() const { return images_; }

 private:
  std::array<Image, picture_count> images_{};
};

TEST(PictureSizeCheck, AcceptedSetsPassAndEachPixelShortOfANeedIsRefused) {
  for (PictureSet set : {PictureSet::fitting, PictureSet::smallest, PictureSet::roomy}) {
    EXPECT_EQ(picture_size_check(Sizes(set).pictures()), "") << static_cast<int>(set);
  }

  const auto needs = picture_needs();
  std::set<int32_t> reported;  // needs named by some refusal
  for (const ShortPicture& c : short_pictures()) {
    SCOPED_TRACE(std::string(picture_paths[c.index]) + " at " + std::to_string(c.size.width) + "x" +
                 std::to_string(c.size.height));
    Sizes sizes(PictureSet::smallest);
    for (const auto& [index, size] : c.sizes) sizes.set(index, size);
    const std::string line = picture_size_check(sizes.pictures());

    const std::string head = "Picture " + std::string(picture_paths[c.index]) + " is " +
                             std::to_string(c.size.width) + "x" + std::to_string(c.size.height) +
                             " pixels; the show needs ";
    ASSERT_EQ(line.rfind(head, 0), 0u) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
    // It ends with the reason of a need of this picture (the one made
    // short, or another it misses as well).
    bool named = false;
    for (int32_t n = 0; n < static_cast<int32_t>(needs.size()); ++n) {
      const std::string tail = " (" + std::string(needs[n].reason) + ")";
      if (need_covers(needs[n], c.index) && line.ends_with(tail)) {
        named = true;
        reported.insert(n);
      }
    }
    EXPECT_TRUE(named) << line;
  }
  for (int32_t n = 0; n < static_cast<int32_t>(needs.size()); ++n) {
    EXPECT_EQ(reported.count(n), 1u) << "no refusal names: " << needs[n].reason;
  }
}

// The smallest set with some pictures' sizes changed, checked.
std::string check_with(std::initializer_list<std::pair<int32_t, PictureSize>> changes) {
  Sizes sizes(PictureSet::smallest);
  for (const auto& [index, size] : changes) sizes.set(index, size);
  return picture_size_check(sizes.pictures());
}

TEST(PictureSizeCheck, LineSaysTheNeedInWords) {
  EXPECT_EQ(check_with({{pic::lapinkulta, {1158, 300}}}),
            "Picture data/lapinkulta.jpg is 1158x300 pixels; the show needs at least 1159x300 "
            "(a 400x300 view scrolls across it up to column 759)");
  EXPECT_EQ(check_with({{pic::traffic1, {480, 360}}, {pic::traffic2, {480, 359}}}),
            "Picture data/traffic2.jpg is 480x359 pixels; the show needs at least 480x360, the size of "
            "data/traffic1.jpg (the traffic scene reads every photograph through the first one's size)");
  EXPECT_EQ(check_with({{pic::stairs1, {640, 480}}}),
            "Picture data/stairs1.jpg is 640x480 pixels; the show needs exactly 400 pixels wide and at least "
            "300 high (blurred as 300 rows of 400 pixels; a picture of another width would be drawn sheared)");
  EXPECT_EQ(check_with({{pic::binary, {120, 65}}}),
            "Picture data/binary.png is 120x65 pixels; the show needs at least 66 pixels high "
            "(the strip loops read up to 66 rows from its top)");
}

}  // namespace
