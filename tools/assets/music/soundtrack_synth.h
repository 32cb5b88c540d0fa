// The show's soundtrack: original music synthesized to the show's timeline
// and encoded as MP3.
#pragma once

#include <string>

#include "base/result.h"
#include "mp3_encode.h"
#include "music_timing.h"

// How the soundtrack is encoded: 44100 Hz stereo at a variable bit rate of
// about 190 kbit/s (quality 2 of the encoder's scale, transparent for this
// material), with a search effort that keeps a three-minute track to a few
// seconds.
inline constexpr Mp3Settings soundtrack_mp3{
    .rate = music::kSampleRate, .channels = 2, .vbr_quality = 2.0f, .effort = 5, .info_tag = true};

// Writes the soundtrack as an MP3 file at `path`; refused with a one-line
// reason. The output is the same bytes on every run.
Result<void> write_soundtrack(const std::string& path);
