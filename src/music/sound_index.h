// What a decoder learns by reading a soundtrack file's every frame, computed
// once where the whole file is at hand (when a site is built) so that the
// file can be played while it still arrives: the file's size, the length of
// one pass and the samples trimmed around it, and where the frames lie.
//
// As text (one line, numbers separated by spaces):
//   sound-index 1 BYTES FRAME_SAMPLES LEAD PASS OWN_TRIM TRIM_BEGIN TRIM_END STEP COUNT O0 D1 D2 ...
// where O0 is the byte offset of the first audio frame and each Dk the
// distance from entry k-1 to entry k: entry k is frame k x STEP.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Frames a decoder started from an index reads ahead of a seek's target
// before the frames it decodes and drops (the library's four): the library
// then finds the target sample-exactly only when it has read that far
// without decoding, as it does when it reads the stream from its start.
inline constexpr int32_t sound_index_lead_in_frames = 16;
inline constexpr int32_t sound_index_preroll_frames = 4;

struct SoundIndex {
  int64_t file_bytes = 0;
  // Sample frames each MPEG frame decodes to (1152 for MPEG-1 layer III).
  int32_t frame_samples = 0;
  // Samples the decoder turns out before sample 0 of a pass (the encoder
  // and decoder delay, trimmed).
  int64_t lead = 0;
  int64_t pass_frames = 0;
  // Set when the info frame announces far fewer frames than the data holds
  // (a damaged length field): the announced length is then ignored, every
  // frame is decoded, and the encoder's delay and padding are trimmed by the
  // decoder itself, in samples of the untrimmed stream, keeping
  // [trim_begin, trim_end).
  int32_t own_trim = 0;
  int64_t trim_begin = 0;
  int64_t trim_end = 0;
  // offsets[k]: byte offset of frame k x step.
  int32_t step = 1;
  std::vector<int64_t> offsets;

  // The first byte the decoder reads to turn out sample frame `sample` of a
  // pass (0 <= sample < pass_frames) after a seek, with the frames it
  // decodes ahead of it to fill the bit reservoir.
  int64_t first_byte_for(int64_t sample) const;
  // How far a pass decodes (sample frames, up to pass_frames) when the
  // file's bytes from a frame's start up to `end` are there.
  int64_t samples_before_byte(int64_t end) const;
};

std::string sound_index_text(const SoundIndex& index);
// Empty when `text` is not an index (or not a consistent one).
std::optional<SoundIndex> sound_index_parse(std::string_view text);
