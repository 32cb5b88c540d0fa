// The show's sound without an audio device: the player's own soundtrack
// code, pulled chunk by chunk, addressed by sample index (sample 0 is heard
// at show time 0; sample_at_show_time gives the sample of a show time).
#pragma once

#include <cstdint>
#include <vector>

#include "music/soundtrack.h"

class SoundSource {
 public:
  SoundSource() = default;
  SoundSource(const SoundSource&) = delete;
  SoundSource& operator=(const SoundSource&) = delete;

  // Opens the soundtrack (again, if it was open) at sample frame `first`,
  // found without decoding what lies before it. Each source reads its own
  // soundtrack: any number can be open at once.
  Result<void> open(const char* path, int64_t first = 0);

  // Appends the interleaved left/right samples of frames [begin, end) to
  // `out`. Requests must not go backwards nor start before the frame opened
  // at; frames before `begin` that were never asked for are decoded and
  // dropped.
  void read(int64_t begin, int64_t end, std::vector<int16_t>* out);

 private:
  static constexpr int chunk_bytes = 8192;
  Soundtrack music_;
  std::vector<int16_t> chunk_;   // the last chunk pulled from the callback
  int64_t chunk_first_ = 0;      // sample frame index of chunk_'s first frame
  int64_t chunk_frames_ = 0;     // frames in chunk_ (0 before the first pull)
};
