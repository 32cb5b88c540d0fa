#include "sound_source.h"

#include <algorithm>
#include <cstring>


Result<void> SoundSource::open(const char* path, int64_t first) {
  chunk_.clear();
  chunk_first_ = first;
  chunk_frames_ = 0;
  Result<void> result = music_.open(path, chunk_bytes);
  if (result.ok() && first > 0) result = music_.seek(first);
  return result;
}

void SoundSource::read(int64_t begin, int64_t end, std::vector<int16_t>* out) {
  while (begin < end) {
    if (begin >= chunk_first_ + chunk_frames_) {
      // Pull the next chunk exactly as the audio device would.
      chunk_first_ += chunk_frames_;
      chunk_.resize(chunk_bytes / 2);
      music_.callback(reinterpret_cast<uint8_t*>(chunk_.data()), chunk_bytes);
      chunk_frames_ = chunk_bytes / 4;
      continue;
    }
    const int64_t first = std::max(begin, chunk_first_);
    const int64_t last = std::min(end, chunk_first_ + chunk_frames_);
    const int16_t* from = chunk_.data() + 2 * (first - chunk_first_);
    out->insert(out->end(), from, from + 2 * (last - first));
    begin = last;
  }
}
