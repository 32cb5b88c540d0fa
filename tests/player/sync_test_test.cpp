// The sync test's pattern: each click starts on its beat's very sample, each
// flash is brightest on its beat, and the clicks tell the clock as the
// soundtrack does.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/clock.h"
#include "player/sync_test.h"

namespace {

struct Told {
  std::vector<int64_t> firsts, froms;
};

TEST(SyncTest, ClicksAndFlashesFallOnTheBeats) {
  ClickTrack clicks;
  Told told;
  clicks.listen({[](void* c, uint32_t delay, int64_t ms) {
                   EXPECT_EQ(delay, 46u);
                   static_cast<Told*>(c)->firsts.push_back(ms);
                 },
                 [](void* c, int64_t ms) { static_cast<Told*>(c)->froms.push_back(ms); }, &told});
  std::vector<uint8_t> sound;
  std::vector<uint8_t> chunk(8192);
  for (int i = 0; i < 40; ++i) {
    clicks.callback(chunk.data(), 8192);
    sound.insert(sound.end(), chunk.begin(), chunk.end());
  }
  EXPECT_EQ(told.firsts, std::vector<int64_t>{0});
  ASSERT_EQ(told.froms.size(), 40u);
  EXPECT_EQ(told.froms[39], 39 * 8192 * 10 / 1764);
  // Sound exactly in the first sync_click_frames frames of every beat.
  const size_t frames = sound.size() / 4;
  for (size_t f = 0; f < frames; ++f) {
    const bool any = sound[4 * f] | sound[4 * f + 1] | sound[4 * f + 2] | sound[4 * f + 3];
    const size_t in_beat = f % (sync_beat_ms * 441 / 10);
    if (in_beat >= sync_click_frames) {
      ASSERT_FALSE(any) << f;
    }
    if (in_beat > 0 && in_beat < 20) {  // the sine's first zero is at its start
      ASSERT_TRUE(any) << f;
    }
  }
  const int32_t levels[][2] = {{-1, 0}, {0, 255}, {50, 127}, {99, 2}, {100, 0}, {499, 0}, {1500, 255}};
  for (const auto& [ms, level] : levels) EXPECT_EQ(sync_flash_level(ms), level) << ms;
}

}  // namespace
