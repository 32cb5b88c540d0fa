// A drum machine: every drum sound is rendered once by its voice and then
// stamped into the mix at any level and position, which costs a fraction of
// synthesizing each hit anew.
#pragma once

#include <cstdint>

#include "music_dsp.h"
#include "music_random.h"

namespace music {

enum class Drum : uint8_t { Kick, TightKick, Snare, ClosedHat, OpenHat, Crash, LongCrash, Count };

class DrumKit {
 public:
  explicit DrumKit(Random& rng);

  // Adds `drum` at sample `start`, scaled by `gain` and panned by `pan`
  // (-1 left .. 1 right; a pan of 0 keeps the recorded stereo image).
  void play(StereoBuffer& out, Drum drum, int64_t start, float gain, float pan = 0.0f) const;

 private:
  StereoBuffer sounds_[static_cast<int>(Drum::Count)];
};

}  // namespace music
