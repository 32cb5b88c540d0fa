#include "music_drumkit.h"

#include "music_voices.h"

namespace music {

DrumKit::DrumKit(Random& rng) {
  auto record = [&](Drum drum, float seconds) -> StereoBuffer& {
    StereoBuffer& sound = sounds_[static_cast<int>(drum)];
    sound = StereoBuffer(seconds_to_samples(seconds));
    return sound;
  };
  play_kick(record(Drum::Kick, 0.6f), 0, 1.0f);
  play_kick(record(Drum::TightKick, 0.6f), 0, 1.0f, 0.07f);
  play_snare(record(Drum::Snare, 0.4f), 0, 1.0f, 0.0f, rng);
  play_hat(record(Drum::ClosedHat, 0.14f), 0, 1.0f, false, 0.0f, rng);
  play_hat(record(Drum::OpenHat, 0.7f), 0, 1.0f, true, 0.0f, rng);
  play_crash(record(Drum::Crash, 2.7f), 0, 1.0f, 0.9f, rng);
  play_crash(record(Drum::LongCrash, 4.8f), 0, 1.0f, 1.6f, rng);
}

void DrumKit::play(StereoBuffer& out, Drum drum, int64_t start, float gain, float pan) const {
  const StereoBuffer& sound = sounds_[static_cast<int>(drum)];
  const int64_t n = out.room(start, sound.frames());
  // Panning a centred recording: the constant-power law, normalised so that
  // the centre keeps unit gain.
  const Pan p(pan);
  const float left = gain * p.left * 1.41421356f;
  const float right = gain * p.right * 1.41421356f;
  for (int64_t i = 0; i < n; ++i) {
    const auto k = static_cast<size_t>(i);
    out.add(start + i, sound.left[k] * left, sound.right[k] * right);
  }
}

}  // namespace music
