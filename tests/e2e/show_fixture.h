// Fixture data for running the player: a scratch working directory with
// pictures at every path of the picture table and a short soundtrack, all
// generated here (no real show data needed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

// A width x height RGB PNG with a pattern in every channel.
std::vector<uint8_t> encode_png(int width, int height);

// Seconds of a stereo test signal (sweeps and offsets, never silent at the
// start) encoded as MP3 at `rate` Hz with a LAME info frame for gapless
// playback.
std::vector<uint8_t> encode_mp3(double seconds, int rate = 44100);

// The whole file decoded by the MP3 library's own file reader, gapless,
// as 44100 Hz stereo signed 16-bit little-endian bytes.
std::vector<uint8_t> reference_decode(const std::string& path);

void write_file(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> read_file(const std::string& path);

// Writes data/ under `dir`: every picture of the table at a size the show
// accepts (PNG under every path, whatever its extension, as the decoder goes
// by content), except the store indices in `omit`, and the soundtrack unless
// `soundtrack` is empty.
void write_show_data(const std::string& dir, const std::vector<uint8_t>& soundtrack,
                     const std::vector<int>& omit = {});

// The picture bytes every fixture uses (encoded once per process).
const std::vector<uint8_t>& fixture_picture();
// The soundtrack bytes every fixture uses (encoded once per process).
const std::vector<uint8_t>& fixture_soundtrack();
