// Small MP3 fixtures encoded on the fly, and an independent reference decode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Mp3Options {
  int rate = 44100;
  int channels = 2;
  int kbps = 128;
  bool vbr = false;      // variable bit rate (the info frame then carries a seek table)
  bool info_tag = true;  // LAME/Xing info frame with delay and padding
};

// Interleaved 16-bit samples (`channels` per sample frame) encoded as MP3.
std::vector<uint8_t> encode_mp3(const std::vector<int16_t>& samples, const Mp3Options& options);

// A deterministic test signal: a sine sweep plus a slow ramp on the left, a
// different sweep on the right, so that any shift or repeat is visible.
std::vector<int16_t> test_signal(int frames, int channels, int rate);

// A 10-byte ID3v2.3 header and one text frame, `padding` zero bytes after it.
std::vector<uint8_t> id3v2_tag(const std::string& title, int padding);
// The 128-byte ID3v1 tag ("TAG", title, ...).
std::vector<uint8_t> id3v1_tag(const std::string& title);
// An APEv2 tag with one item, header and footer.
std::vector<uint8_t> ape_tag(const std::string& key, const std::string& value);

// Decodes a whole file with the library's own file reader, gapless, forced
// to 44100 Hz stereo signed 16-bit: the reference the soundtrack must match.
std::vector<int16_t> reference_decode(const std::string& path);

void write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// A scratch path under the build tree, unique per test name.
std::string fixture_path(const std::string& name);
