// The parts of the soundtrack generator: the score against the show's
// timeline, voices that start on their exact sample, the encoder's gapless
// round trip, and the failure path of the writer.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "music/music_drumkit.h"
#include "mp3_encode.h"
#include "music/music_score.h"
#include "music/music_voices.h"
#include "music/soundtrack_synth.h"
#include "soundtrack_flashes.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/sound.h"

namespace {

using music::StereoBuffer;

TEST(SoundtrackScore, SectionsChangeAtTheShowsCuesAndAccentsHitEveryFlash) {
  std::vector<int32_t> starts;
  for (const music::Section& s : music::sections()) starts.push_back(s.time_ms);
  EXPECT_EQ(starts, show_cue_times());
  EXPECT_EQ(music::accent_times(), show_flash_times());
  // Every accent sits on the 62.5 ms grid the sequencer counts in, so it
  // starts at round(T * 44.1) exactly.
  for (int32_t ms : music::accent_times()) {
    ASSERT_TRUE(music::on_tick_grid(ms)) << ms;
    EXPECT_EQ(music::tick_to_sample(music::ms_to_tick(ms)), (int64_t{ms} * 441 + 5) / 10) << ms;
  }
}

struct Voice {
  const char* name;
  bool strike;  // percussive: audible from its first millisecond
  std::function<void(StereoBuffer&, int64_t)> play;
};

std::vector<Voice> voices() {
  static music::Random rng(7);
  static const music::DrumKit kit(rng);
  static const int chord[] = {57, 60, 64};
  return {
      {"kick", true, [](StereoBuffer& b, int64_t at) { music::play_kick(b, at, 1.0f); }},
      {"snare", true, [](StereoBuffer& b, int64_t at) { music::play_snare(b, at, 1.0f, 0.3f, rng); }},
      {"hat", true, [](StereoBuffer& b, int64_t at) { music::play_hat(b, at, 1.0f, false, 0.0f, rng); }},
      {"open hat", true, [](StereoBuffer& b, int64_t at) { music::play_hat(b, at, 1.0f, true, 0.0f, rng); }},
      {"crash", true, [](StereoBuffer& b, int64_t at) { music::play_crash(b, at, 1.0f, 0.5f, rng); }},
      {"stab", true, [](StereoBuffer& b, int64_t at) { music::play_stab(b, at, chord, 1.0f, 0.3f); }},
      {"kit kick", true, [](StereoBuffer& b, int64_t at) { kit.play(b, music::Drum::Kick, at, 1.0f, -0.5f); }},
      {"kit crash", true, [](StereoBuffer& b, int64_t at) { kit.play(b, music::Drum::Crash, at, 1.0f); }},
      {"bass", false, [](StereoBuffer& b, int64_t at) { music::play_bass(b, at, 3000, 33, 1.0f); }},
      {"pad", false, [](StereoBuffer& b, int64_t at) { music::play_pad(b, at, 3000, 57, 1.0f, 0.5f, 0.2f); }},
      {"lead", false, [](StereoBuffer& b, int64_t at) { music::play_lead(b, at, 3000, 69, 1.0f); }},
      {"pluck", false, [](StereoBuffer& b, int64_t at) { music::play_pluck(b, at, 69, 1.0f, 0.4f); }},
      {"riser", false, [](StereoBuffer& b, int64_t at) { music::play_riser(b, at, at + 3000, 1.0f, rng); }},
  };
}

TEST(SoundtrackVoices, StartOnTheirSampleAndStayInsideTheBuffer) {
  constexpr int64_t kStart = 1000;
  for (const Voice& v : voices()) {
    SCOPED_TRACE(v.name);
    StereoBuffer b(40000);
    v.play(b, kStart);
    for (int64_t i = 0; i < kStart; ++i) ASSERT_EQ(b.left[i] + b.right[i], 0.0f) << i;
    float first_ms = 0.0f;
    for (int64_t i = kStart; i < kStart + 44; ++i) first_ms = std::max(first_ms, std::fabs(b.left[i]) + std::fabs(b.right[i]));
    if (v.strike) {
      EXPECT_NE(b.left[kStart] + b.right[kStart], 0.0f);
      EXPECT_GT(first_ms, 0.05f);
    }
    float peak = 0.0f;
    for (int64_t i = kStart; i < b.frames(); ++i) peak = std::max(peak, std::fabs(b.left[i]) + std::fabs(b.right[i]));
    EXPECT_GT(peak, 0.01f);
    // Notes running past either end of the buffer are cut, not overrun.
    v.play(b, b.frames() - 5);
    v.play(b, b.frames() + 5);
    v.play(b, -100);
  }
}

TEST(SoundtrackEncoder, GaplessDecodingGivesBackExactlyTheEncodedSamples) {
  // 1.5 s: silence, a click in the left channel at frame 20000, then a tone.
  constexpr size_t kFrames = 66150;
  constexpr size_t kClick = 20000;
  std::vector<int16_t> pcm(kFrames * 2, 0);
  for (size_t i = kClick; i < kClick + 44; ++i) pcm[2 * i] = 24000;
  for (size_t i = 40000; i < kFrames; ++i) {
    const auto v = static_cast<int16_t>(8000.0 * std::sin(2.0 * 3.141592653589793 * 440.0 * i / 44100.0));
    pcm[2 * i] = v;
    pcm[2 * i + 1] = v;
  }
  std::vector<uint8_t> mp3;
  const Result<void> encoded = mp3_encode(pcm, soundtrack_mp3, &mp3);
  ASSERT_TRUE(encoded) << encoded.error();

  // The first frame carries the final info tag, not the encoder's placeholder.
  const std::string head(mp3.begin(), mp3.begin() + std::min<size_t>(mp3.size(), 200));
  EXPECT_TRUE(head.find("Xing") != std::string::npos || head.find("Info") != std::string::npos);
  EXPECT_NE(head.find("LAME"), std::string::npos);

  const std::string path = scratch_file("encoder_test.mp3");
  write_file(path, mp3);
  const DecodedSound sound = reference_decode(path, false);
  const std::vector<int16_t>& decoded = sound.samples;
  EXPECT_EQ(sound.rate, 44100);
  EXPECT_EQ(sound.channels, 2);
  ASSERT_EQ(decoded.size(), pcm.size());
  size_t loudest = 0;
  for (size_t i = 0; i < 40000; ++i)
    if (std::abs(decoded[2 * i]) > std::abs(decoded[2 * loudest])) loudest = i;
  EXPECT_GE(loudest, kClick);
  EXPECT_LT(loudest, kClick + 44);
}

TEST(SoundtrackWriter, FailsAtOnceWithOneLineForAnUnwritablePath) {
  const std::string path = scratch_file("no_such_dir") + "/rinnu.mp3";
  const Result<void> written = write_soundtrack(path);
  ASSERT_FALSE(written);
  EXPECT_NE(written.error().find(path), std::string::npos) << written.error();
  EXPECT_EQ(written.error().find('\n'), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
