// The mix: the buses the sequencer plays into, the gain curve that ducks the
// band under the accents, and the master stage that adds the room effects and
// sums everything into interleaved 16-bit stereo.
#pragma once

#include <cstdint>
#include <vector>

#include "music_dsp.h"

namespace music {

struct Mix {
  explicit Mix(int64_t frames);

  int64_t frames() const { return pads.frames(); }

  // Lowers the band to 1 - `depth` at sample `at`, recovering with time
  // constant `seconds`; overlapping ducks multiply.
  void duck(int64_t at, float depth, float seconds);

  // Holds the band at `level` from `from` to `to`, with 5 ms ramps.
  void mute(int64_t from, int64_t to, float level);

  // The band (ducked under the accents, together with the effect returns):
  // Fades the whole mix out linearly from `from` to `to`, silent after.
  void fade_out(int64_t from, int64_t to) {
    fade_from = from;
    fade_to = to;
  }

  StereoBuffer pads;   // chords, into the reverb
  StereoBuffer bass;   // dry
  StereoBuffer lead;   // melody and arpeggios, into the echo and the reverb
  // Never ducked:
  StereoBuffer drums;  // the groove, a little reverb
  StereoBuffer hits;   // accent impacts, into the reverb
  std::vector<float> band_gain;
  int64_t fade_from = INT64_MAX;
  int64_t fade_to = INT64_MAX;
};

// Sums the buses and their effect returns, saturates softly towards a ceiling
// just below full scale and converts to interleaved signed 16-bit samples
// (left, right).
std::vector<int16_t> master(const Mix& mix);

}  // namespace music
