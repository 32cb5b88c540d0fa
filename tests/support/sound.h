// Sound fixtures: a test signal encoded as MP3 on the fly, and the reference
// decoding the project's own decoding must match.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mp3_encode.h"
#include "music/sound_index.h"

// A deterministic test signal: a sine sweep plus a slow ramp on the left, a
// different sweep on the right, so that any shift or repeat is visible. It
// is not silent at its first sample, so that the start of the sound can be
// found in a recording that begins with silence.
std::vector<int16_t> test_signal(int frames, int channels, int rate);

// Interleaved samples encoded as MP3 (by default 44100 Hz stereo, 128 kbit/s,
// with the info frame for gapless decoding).
std::vector<uint8_t> encode_mp3(const std::vector<int16_t>& samples, const Mp3Settings& settings = {});
// `frames` sample frames of the test signal, encoded as `settings` say.
std::vector<uint8_t> test_track(int frames, const Mp3Settings& settings = {});

// A variable bit rate (quality 4), whose frames lean on the bit reservoir.
Mp3Settings variable_bit_rate();

// A variable-bit-rate track of `frames` sample frames of the test signal as
// a site serves it for streaming: its bytes and its sound index, with an
// entry every `step` frames.
struct IndexedTrack {
  std::vector<uint8_t> mp3;
  SoundIndex index;
};
IndexedTrack indexed_vbr_track(int frames, int32_t step);

struct DecodedSound {
  long rate = 0;
  int channels = 0;
  bool signed_16 = false;
  bool mpeg1_layer3 = false;
  bool mono = false;              // the stream's mode
  std::vector<int16_t> samples;   // interleaved
  std::string error;              // empty when the whole file was decoded
  // The samples as the little-endian bytes a sound device gets.
  std::vector<uint8_t> bytes() const;
};

// The whole file decoded by the MP3 library's own file reader, gaplessly.
// `as_played`: converted to 44100 Hz stereo signed 16-bit, as the player
// plays it; otherwise in the stream's own format.
DecodedSound reference_decode(const std::string& path, bool as_played = true);
