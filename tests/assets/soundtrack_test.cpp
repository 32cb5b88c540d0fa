// The generated soundtrack as the player will see it: written to a file,
// decoded by the MP3 library with gapless decoding, and checked for format,
// length, reproducibility and for a sharp onset at every flash of the show.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "music/soundtrack_synth.h"
#include "soundtrack_flashes.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "support/sound.h"

namespace {

constexpr long kRate = 44100;

// Energy of the stereo signal, summed over sample frames [from, to).
class Energy {
 public:
  explicit Energy(const std::vector<int16_t>& interleaved) : prefix_(interleaved.size() / 2 + 1, 0.0) {
    for (size_t i = 0; i + 1 < prefix_.size(); ++i) {
      const double l = interleaved[2 * i] / 32768.0;
      const double r = interleaved[2 * i + 1] / 32768.0;
      prefix_[i + 1] = prefix_[i] + l * l + r * r;
    }
  }
  int64_t frames() const { return static_cast<int64_t>(prefix_.size()) - 1; }
  double sum(int64_t from, int64_t to) const {
    from = std::clamp<int64_t>(from, 0, frames());
    to = std::clamp<int64_t>(to, 0, frames());
    return prefix_[static_cast<size_t>(to)] - prefix_[static_cast<size_t>(from)];
  }
  double rms(int64_t from, int64_t to) const { return std::sqrt(sum(from, to) / (2.0 * (to - from))); }

 private:
  std::vector<double> prefix_;
};

// Onset strength: energy of the 5 ms window starting at `at` over the mean
// energy of the 5 ms windows in the 30 ms before it. A steady or decaying
// bed stays near 1; a new strike well above the bed raises it many times.
constexpr int64_t kWindow = 220;   // 5 ms
constexpr int64_t kBefore = 1323;  // 30 ms
double onset_ratio(const Energy& e, int64_t at) {
  const double now = e.sum(at, at + kWindow);
  const int64_t from = std::max<int64_t>(0, at - kBefore);
  const double before = at > 0 ? e.sum(from, at) * kWindow / static_cast<double>(at - from) : 0.0;
  return now / std::max(before, 1e-9);
}

// Each test writes its own file: under CTest every test runs in a process of
// its own, so a shared fixture would not save the generation.
class SoundtrackFile {
 public:
  explicit SoundtrackFile(const std::string& name) : path_(scratch_file(name + ".mp3")) {
  }
  const std::string& path() const { return path_; }
  bool written() const { return written_.ok(); }
  const std::string& error() const { return written_.error(); }

 private:
  std::string path_;
  Result<void> written_ = write_soundtrack(path_);
};

TEST(Soundtrack, IsTheSameBytesOnEveryRun) {
  // Two generations side by side: the generator keeps no shared state.
  std::unique_ptr<SoundtrackFile> other;
  std::thread beside([&] { other = std::make_unique<SoundtrackFile>("second"); });
  const SoundtrackFile first("first");
  beside.join();
  const SoundtrackFile& second = *other;
  ASSERT_TRUE(first.written()) << first.error();
  ASSERT_TRUE(second.written()) << second.error();
  const std::vector<uint8_t> a = read_file(first.path());
  const std::vector<uint8_t> b = read_file(second.path());
  ASSERT_GT(a.size(), 1000000u);
  EXPECT_TRUE(a == b) << "sizes " << a.size() << " and " << b.size();
}

void expect_onset_at_every_flash(const Energy& e) {
  // A rise of 10x (+10 dB) within 5 ms. Held notes and decaying tails give
  // about 1, and the median over all the other sixteenths of the track, where
  // hi-hats and notes come in, is about 2. Only a drum strike that stands
  // well out of the band gets this far.
  constexpr double kThreshold = 10.0;
  constexpr int64_t kTolerance = 441;  // 10 ms
  double worst_ratio = 1e300;
  int64_t worst_offset = 0;
  for (int32_t ms : show_flash_times()) {
    const int64_t at = (static_cast<int64_t>(ms) * 441 + 5) / 10;
    int64_t best = at;
    double best_ratio = 0.0;
    for (int64_t c = std::max<int64_t>(0, at - kTolerance); c <= at + kTolerance; ++c) {
      const double r = onset_ratio(e, c);
      if (r > best_ratio) {
        best_ratio = r;
        best = c;
      }
    }
    EXPECT_GE(best_ratio, kThreshold) << "at " << ms << " ms";
    worst_ratio = std::min(worst_ratio, best_ratio);
    if (std::abs(best - at) > std::abs(worst_offset)) worst_offset = best - at;
  }
  std::cout << "weakest onset ratio " << worst_ratio << ", largest offset "
            << static_cast<double>(worst_offset) * 1000.0 / kRate << " ms\n";
}

TEST(Soundtrack, DecodesGaplesslyToTheShowsTimeline) {
  // As the build generated it.
  const DecodedSound d = reference_decode(SAVA_DATA_DIR "/rinnu.mp3", false);
  ASSERT_EQ(d.error, "");

  // MPEG-1 Layer III, 44100 Hz stereo, outlasting the show by a short tail.
  EXPECT_EQ(d.rate, kRate);
  EXPECT_EQ(d.channels, 2);
  EXPECT_TRUE(d.signed_16);
  EXPECT_TRUE(d.mpeg1_layer3);
  EXPECT_FALSE(d.mono);
  const double seconds = static_cast<double>(d.samples.size() / 2) / kRate;
  EXPECT_GE(seconds, 184.0);
  EXPECT_LE(seconds, 190.0);

  // Centred on zero: an offset would waste headroom and thump at the start.
  double sum_left = 0.0, sum_right = 0.0;
  for (size_t i = 0; i + 1 < d.samples.size(); i += 2) {
    sum_left += d.samples[i];
    sum_right += d.samples[i + 1];
  }
  const double frames = static_cast<double>(d.samples.size() / 2);
  EXPECT_LT(std::fabs(sum_left / frames), 33.0);  // 0.1 % of full scale
  EXPECT_LT(std::fabs(sum_right / frames), 33.0);

  const Energy e(d.samples);
  expect_onset_at_every_flash(e);

  // A quiet opening, the loudest stretch in the blurred sequences, and a
  // final hit that dies away.
  EXPECT_LT(e.rms(0, 8 * kRate) * 2.0, e.rms(112 * kRate, 144 * kRate));
  EXPECT_LT(e.rms(e.frames() - kRate / 4, e.frames()) * 10.0, e.rms(184 * kRate, 184 * kRate + kRate / 2));
}

}  // namespace
