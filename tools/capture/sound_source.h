// The show's sound without an audio device: the player's own soundtrack
// code, pulled chunk by chunk, addressed by sample index (sample 0 is heard
// at show time 0).
#pragma once

#include <cstdint>
#include <vector>

#include "music/soundtrack.h"

// Stereo sample frame index of show time `ms` (44.1 frames per millisecond).
inline int64_t sample_at_ms(int64_t ms) { return ms * 441 / 10; }

class SoundSource {
 public:
  SoundSource() = default;
  SoundSource(const SoundSource&) = delete;
  SoundSource& operator=(const SoundSource&) = delete;
  ~SoundSource();

  // Opens the soundtrack (again, if it was open) at sample frame `first`,
  // found without decoding what lies before it. There is one soundtrack per
  // process: opening here ends what any other source was reading.
  SoundtrackResult open(const char* path, int64_t first = 0);

  // Appends the interleaved left/right samples of frames [begin, end) to
  // `out`. Requests must not go backwards nor start before the frame opened
  // at; frames before `begin` that were never asked for are decoded and
  // dropped.
  void read(int64_t begin, int64_t end, std::vector<int16_t>* out);

 private:
  static constexpr int chunk_bytes = 8192;
  std::vector<uint8_t> queue_;
  std::vector<int16_t> chunk_;   // the last chunk pulled from the callback
  int64_t chunk_first_ = 0;      // sample frame index of chunk_'s first frame
  int64_t chunk_frames_ = 0;     // frames in chunk_ (0 before the first pull)
  bool open_ = false;
};
