// MP3 encoding through LAME, for the tools and the tests' fixtures: MPEG
// Layer III with the info frame that lets a gapless decoder drop the
// encoder's delay and padding, so that decoding gives back exactly the
// samples encoded. A failure comes back as its one-line reason.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"

struct Mp3Settings {
  int rate = 44100;          // samples a second, in and out
  int channels = 2;          // 1, or 2 (joint stereo)
  int kbps = 128;            // constant bit rate, unless vbr_quality is set
  float vbr_quality = -1;    // 0 (best) to 9: variable bit rate of that quality
  int effort = 7;            // the encoder's search: 0 (best) to 9 (fastest)
  bool info_tag = true;      // the info frame (delay, padding, frame count)
};

// Encodes interleaved 16-bit samples (`channels` a sample frame).
Result<void> mp3_encode(std::span<const int16_t> interleaved, const Mp3Settings& settings, std::vector<uint8_t>* mp3);
