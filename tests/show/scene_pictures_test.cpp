// The pictures each scene reaches for are all its frames read: a scene
// started with every other picture changed draws the very same frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <vector>

#include "show/cue_table.h"
#include "show/scene_pictures.h"
#include "show_fixture.h"

namespace {

class ScenePictures : public ShowFixture {
 protected:
  // A digest of each frame of scene `cue` every 40 ms, started afresh at
  // its cue (as a seek starts it) over `pictures`.
  std::vector<size_t> frames_of(int cue, ImageStore pictures) {
    std::vector<uint32_t> screen(static_cast<size_t>(screen_width) * screen_height);
    Show show(std::move(pictures), screen.data());
    std::vector<size_t> frames;
    for (int32_t now = cue_table[cue].time_ms; now < cue_table[cue + 1].time_ms; now += 40) {
      frame_step(show, cue_table, now);
      frames.push_back(std::hash<std::string_view>{}(
          std::string_view(reinterpret_cast<const char*>(screen.data()), screen.size() * 4)));
    }
    return frames;
  }
};

TEST_F(ScenePictures, EachSceneDrawsTheSameWithEveryOtherPictureChanged) {
  ImageStore pictures = make_pictures();
  const std::vector<std::vector<int32_t>> by_scene = pictures_by_scene(pictures);
  ASSERT_EQ(by_scene.size(), static_cast<size_t>(cue_count));
  ASSERT_EQ(pictures.size(), picture_count) << "the store is handed back";
  EXPECT_TRUE(by_scene[cue_count - 1].empty()) << "the end draws nothing";
  for (int cue = 0; cue + 1 < cue_count; ++cue) {
    SCOPED_TRACE(cue_names[cue]);
    const std::vector<int32_t>& own = by_scene[static_cast<size_t>(cue)];
    EXPECT_FALSE(own.empty());
    ImageStore changed = make_pictures();
    for (int32_t i = 0; i < changed.size(); ++i) {
      if (std::find(own.begin(), own.end(), i) != own.end()) continue;
      Image& image = *changed[i];
      std::for_each(image.pixels, image.pixels + image.width * image.height, [](uint32_t& p) { p ^= 0x00ffffffu; });
    }
    EXPECT_EQ(frames_of(cue, make_pictures()), frames_of(cue, std::move(changed)));
  }
}

}  // namespace
