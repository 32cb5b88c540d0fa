// A whole show's worth of audio callbacks over a soundtrack much shorter than
// the show, with the tick counter wrapping during the show: the sound repeats
// with no gap at any seam, and the show clock, anchored by the first
// callback, counts on through the wrap in step with the sound handed out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/clock.h"
#include "music/soundtrack.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/sound.h"

namespace {

uint32_t fake_ticks = 0;
uint32_t read_fake_ticks() { return fake_ticks; }

class LongPlay : public ::testing::Test {
 protected:
  void SetUp() override { music.listen({ShowClock::start_in, ShowClock::hear_sound_from, &clock}); }
  ShowClock clock{read_fake_ticks};
  Soundtrack music;
};

constexpr int track_frames = 30870;  // 0.7 s at 44100 Hz
constexpr int32_t chunk = 8192;
constexpr int64_t show_ms = 184000;

TEST_F(LongPlay, ShortTrackRepeatsSeamlesslyAndTheClockCountsThroughTheWrap) {
  ScratchDir dir;
  const std::string path = dir.path() + "/short.mp3";
  write_file(path, test_track(track_frames));
  const size_t pass = static_cast<size_t>(track_frames) * 4;

  // The show started 3 s before the counter wraps, and 10 ms before it, so
  // that the first callback's anchor itself wraps.
  for (const uint32_t before_wrap : {3000u, 10u}) {
    SCOPED_TRACE(before_wrap);
    ASSERT_TRUE(music.open(path.c_str(), chunk).ok());
    const uint32_t t0 = 0u - before_wrap;
    clock.start_at(t0);  // the player's own anchor before the sound starts

    std::vector<uint8_t> stream;
    stream.reserve(static_cast<size_t>(show_ms * 1764 / 10) + 2 * chunk);
    std::vector<uint8_t> buffer(chunk);
    int32_t previous_clock = 0;
    int64_t handed = 0;  // bytes handed to the device so far
    for (int64_t k = 0; handed * 10 / 1764 < show_ms; ++k) {
      // The device asks for chunk k when the chunks before it have played.
      fake_ticks = t0 + static_cast<uint32_t>(handed * 10 / 1764);
      soundtrack_callback(&music, buffer.data(), chunk);
      ASSERT_GE(music.pcm_fill(), chunk);
      stream.insert(stream.end(), buffer.begin(), buffer.end());
      // The clock reads the time of the sound being heard now: what was
      // handed before this chunk, less the one chunk the device holds.
      const int32_t now = clock.read();
      const int64_t heard_ms = handed * 10 / 1764 - chunk * 10 / 1764;
      ASSERT_NEAR(now, heard_ms, 1) << "callback " << k;
      if (k > 0) {
        ASSERT_GE(now - previous_clock, 46) << "callback " << k;
        ASSERT_LE(now - previous_clock, 47) << "callback " << k;
      }
      previous_clock = now;
      handed += chunk;
    }
    EXPECT_EQ(clock.start_tick(), t0 + 46u);  // moved once, by the first callback
    EXPECT_GT(previous_clock, show_ms - 100);

    // No gap and no drift: from the second pass on every byte equals the
    // byte one pass earlier, over more than 260 seams.
    ASSERT_GT(stream.size(), 262 * pass);
    for (size_t i = pass; i < stream.size(); ++i) {
      if (stream[i] != stream[i - pass]) {
        FAIL() << "byte " << i << " (pass " << i / pass << ", offset " << i % pass
               << ") differs from the pass before";
      }
    }
    // And the pass is the music, not silence or a shorter loop.
    int64_t energy = 0;
    for (size_t i = 0; i + 1 < pass; i += 2) {
      int16_t sample;
      std::memcpy(&sample, &stream[i], 2);
      energy += sample < 0 ? -sample : sample;
    }
    EXPECT_GT(energy / (pass / 2), 1000);
    EXPECT_NE(std::memcmp(stream.data(), stream.data() + pass / 2, pass / 2), 0);
    music.close();
  }
}

}  // namespace

namespace {

// A track of a handful of samples would take thousands of passes over the
// file per callback, more time than the sound lasts: refused at the start.
// From 256 sample frames on a track plays, repeating seamlessly.
TEST_F(LongPlay, TracksOfAFewSamplesAreRefusedShortOnesRepeat) {
  ScratchDir dir;
  for (const int frames : {1, 100, 255}) {
    SCOPED_TRACE(frames);
    const std::string path = dir.path() + "/tiny" + std::to_string(frames) + ".mp3";
    write_file(path, test_track(frames));
    EXPECT_EQ(music.open(path.c_str(), chunk).error(), soundtrack_failure(SoundtrackError::no_audio, path).message);
    EXPECT_FALSE(music.is_open());
  }
  const std::string path = dir.path() + "/short.mp3";
  write_file(path, test_track(256));
  ASSERT_TRUE(music.open(path.c_str(), chunk).ok());
  std::vector<uint8_t> stream;
  std::vector<uint8_t> buffer(chunk);
  for (int k = 0; k < 50; ++k) {
    soundtrack_callback(&music, buffer.data(), chunk);
    stream.insert(stream.end(), buffer.begin(), buffer.end());
  }
  const size_t pass = 256 * 4;
  for (size_t i = pass; i < stream.size(); ++i) ASSERT_EQ(stream[i], stream[i - pass]) << "byte " << i;
}

}  // namespace
