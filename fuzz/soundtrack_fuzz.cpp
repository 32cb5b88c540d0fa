// Fuzz target for the soundtrack path: the input is the MP3 file, opened with
// Soundtrack::open and pulled through soundtrack_callback as the audio device
// would, across several repeats of a short file.
//
// The first two bytes of the input also choose the chunk length, so that
// chunks of every allowed size (and some refused ones) are tried; the whole
// input is still the file, so plain MP3 seeds work as they are.
//
// Checked: an open either succeeds with at least one chunk queued or fails
// and leaves nothing behind; every callback fills exactly
// its length, never writes past it, and leaves the queue holding at least one
// chunk and within its size; so does a seek, or it leaves the soundtrack
// closed.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_file.h"
#include "music/soundtrack.h"

namespace {

constexpr int callbacks_per_input = 48;
constexpr uint8_t guard_byte = 0xA5;
constexpr size_t guard_size = 64;

int32_t chunk_for(const uint8_t* data, size_t size) {
  if (size < 2) return 8192;
  const uint32_t choice = (static_cast<uint32_t>(data[0]) << 8) | data[1];
  switch (choice % 8) {
    case 0: return 8192;  // what the player asks for
    case 1: return 4096;
    case 2: return soundtrack_max_chunk;
    case 3: return soundtrack_max_chunk + 1;  // refused
    case 4: return 2;
    default: return 4 * (1 + static_cast<int32_t>(choice % (soundtrack_max_chunk / 4)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFile file;
  // Its queue is allocated at exactly its size, so that any overrun is
  // caught by the sanitizer.
  Soundtrack music;

  const int32_t chunk = chunk_for(data, size);
  const char* path = file.write(data, size);
  if (!music.open(path, chunk).ok()) {
    if (music.is_open() || music.pcm_fill() != 0) std::abort();
    return 0;
  }
  if (music.pcm_fill() < chunk || music.pcm_fill() > soundtrack_queue_size) std::abort();

  std::vector<uint8_t> stream(static_cast<size_t>(chunk) + guard_size);
  auto pull = [&](int count) {
    for (int i = 0; i < count; ++i) {
      std::memset(stream.data(), guard_byte, stream.size());
      soundtrack_callback(&music, stream.data(), chunk);
      for (size_t j = static_cast<size_t>(chunk); j < stream.size(); ++j) {
        if (stream[j] != guard_byte) std::abort();  // wrote past the length asked for
      }
      if (music.pcm_fill() < chunk || music.pcm_fill() > soundtrack_queue_size) std::abort();
    }
  };
  pull(callbacks_per_input);
  // Then a seek to a frame the input's last bytes choose, anywhere in the
  // repeated music; a failed one leaves the soundtrack closed.
  if (size >= 4) {
    const int64_t frame = (static_cast<int64_t>(data[size - 1]) << 16 | data[size - 2] << 8 | data[size - 3]) * 7;
    if (music.seek(frame).ok()) {
      if (music.pcm_fill() < chunk || music.pcm_fill() > soundtrack_queue_size) std::abort();
      pull(8);
    } else if (music.is_open()) {
      std::abort();
    }
  }
  return 0;
}
