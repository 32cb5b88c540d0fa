// MP3 encoding of the rendered soundtrack: MPEG-1 Layer III, 44100 Hz
// stereo, variable bit rate of about 190 kbit/s, with the info tag that lets
// a gapless decoder drop the encoder's delay and padding, so decoding yields
// exactly the rendered samples from the first one on.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace music {

// Encodes interleaved left/right 16-bit samples at 44100 Hz. Returns false
// and sets `error` to a one-line reason if the encoder fails.
bool encode_mp3(std::span<const int16_t> interleaved, std::vector<unsigned char>* mp3,
                std::string* error);

}  // namespace music
