#include "music/soundtrack.h"

#include <sys/stat.h>

#include <cstring>
#include <limits>
#include <new>

void SoundtrackFileCloser::operator()(std::FILE* file) const { std::fclose(file); }

Decoder decoder;
std::unique_ptr<std::FILE, SoundtrackFileCloser> soundtrack_file;
std::unique_ptr<uint8_t[]> soundtrack_data;
int32_t soundtrack_size = 0;
int32_t pcm_fill = 0;
int32_t decoder_wants_input = 1;
int32_t callback_count = 0;

namespace {

// Who is told about the first sound (soundtrack_on_first_sound).
FirstSoundFn first_sound_fn = nullptr;
void* first_sound_context = nullptr;

// Bytes decoded since the decoder was last handed the file. A pass over the
// file that ends with nothing decoded would repeat forever without sound, so
// the refill loops stop on it.
int64_t pass_bytes = 0;

// One decode step: hands the decoder the whole file again (from a restarted
// stream) if the previous step did not produce a frame, decodes at most one
// frame to the back of the queue and records the result.
int decode_step(uint8_t* queue) {
  const uint8_t* input = nullptr;
  int32_t input_length = 0;
  if (decoder_wants_input != 0) {
    pass_bytes = 0;
    // Without the restart the decoder would take the repeated file's info
    // frame for sound and keep its delay and padding: an audible gap.
    if (decoder_restart(&decoder) != DECODE_OK) {
      decoder_wants_input = DECODE_ERR;
      return DECODE_ERR;
    }
    input = soundtrack_data.get();
    input_length = soundtrack_size;
  }
  int32_t produced = 0;
  // The room left is at least one frame: the queue holds less than a chunk
  // before every step and chunks are at most soundtrack_max_chunk.
  const int result = decoder_decode(&decoder, input, input_length, queue + pcm_fill,
                                    soundtrack_queue_size - pcm_fill, &produced);
  decoder_wants_input = result;
  if (result == DECODE_OK) {
    pcm_fill += produced;
    pass_bytes += produced;
  }
  return result;
}

// A step that ended a pass over the file without any sound from it.
bool pass_was_silent(int result) { return result != DECODE_OK && pass_bytes == 0; }

// Every pass over the file costs a restart of the decoder and a new feed of
// the file. A track of a handful of samples would need thousands of passes
// per callback (one sample: 2048 passes, more time than the chunk lasts), so
// passes shorter than 256 sample frames (5.8 ms) are refused at the start.
constexpr int64_t min_pass_bytes = 256 * 4;
bool pass_too_short(int result) { return result != DECODE_OK && pass_bytes < min_pass_bytes; }

// Refills the queue to at least `want` bytes from the real-time path. Only a
// soundtrack that stopped yielding sound (which soundtrack_open rules out)
// gets silence instead, so that the device never runs short.
void refill(uint8_t* queue, int32_t want) {
  while (pcm_fill < want) {
    if (pass_was_silent(decode_step(queue))) {
      std::memset(queue + pcm_fill, 0, static_cast<size_t>(want - pcm_fill));
      pcm_fill = want;
    }
  }
}

void drop_front(uint8_t* queue, int32_t bytes) {
  std::memmove(queue, queue + bytes, static_cast<size_t>(pcm_fill - bytes));
  pcm_fill -= bytes;
}

int read_whole_file(const char* path) {
  // Only regular files: opening a named pipe would wait for a writer forever.
  struct stat info;
  if (::stat(path, &info) == 0 && !S_ISREG(info.st_mode)) return SOUNDTRACK_CANNOT_OPEN;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return SOUNDTRACK_CANNOT_OPEN;
  soundtrack_file.reset(file);
  if (std::fseek(file, 0, SEEK_END) != 0) return SOUNDTRACK_CANNOT_OPEN;
  const long size = std::ftell(file);
  if (size < 0 || size > std::numeric_limits<int32_t>::max()) return SOUNDTRACK_CANNOT_OPEN;
  if (std::fseek(file, 0, SEEK_SET) != 0) return SOUNDTRACK_CANNOT_OPEN;
  soundtrack_size = static_cast<int32_t>(size);
  soundtrack_data.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size) + 1]());
  if (!soundtrack_data) return SOUNDTRACK_CANNOT_OPEN;
  if (std::fread(soundtrack_data.get(), 1, static_cast<size_t>(size), file) != static_cast<size_t>(size))
    return SOUNDTRACK_CANNOT_OPEN;
  // A directory opens and claims some length on some systems; only a clean
  // end of file proves that the data was really there.
  if (std::fgetc(file) != EOF || std::ferror(file)) return SOUNDTRACK_CANNOT_OPEN;
  return SOUNDTRACK_OK;
}

int prime(int32_t chunk, uint8_t* queue, int32_t start_ms) {
  // Sound to decode before playback: one chunk plus the part to skip.
  int64_t remaining = chunk + static_cast<int64_t>(start_ms < 0 ? 0 : start_ms) * 1764 / 10;
  // The zero-filled front of the queue counts as one chunk of silence.
  pcm_fill = chunk;
  while (remaining > 0) {
    drop_front(queue, chunk);
    while (pcm_fill < chunk) {
      const int32_t before = pcm_fill;
      const int result = decode_step(queue);
      remaining -= pcm_fill - before;
      if (pass_was_silent(result)) return decoder.wrong_rate ? SOUNDTRACK_BAD_FORMAT : SOUNDTRACK_NO_AUDIO;
      if (pass_too_short(result)) return SOUNDTRACK_NO_AUDIO;
    }
  }
  return SOUNDTRACK_OK;
}

}  // namespace

int soundtrack_open(const char* path, int32_t chunk, uint8_t* queue, int32_t start_ms) {
  soundtrack_close();
  if (queue == nullptr || chunk <= 0 || chunk > soundtrack_max_chunk) return SOUNDTRACK_BAD_CHUNK;
  if (path == nullptr) return SOUNDTRACK_CANNOT_OPEN;
  int result = read_whole_file(path);
  if (result == SOUNDTRACK_OK && decoder_init(&decoder, soundtrack_size) != DECODE_OK) result = SOUNDTRACK_DECODER_FAILED;
  if (result == SOUNDTRACK_OK) result = prime(chunk, queue, start_ms);
  if (result != SOUNDTRACK_OK) soundtrack_close();
  return result;
}

const char* soundtrack_error_message(int code) {
  switch (code) {
    case SOUNDTRACK_CANNOT_OPEN:
      return "Couldn't open MP3 file %s\n";
    case SOUNDTRACK_NO_AUDIO:
      return "Couldn't decode MP3 file %s: it holds no MPEG audio\n";
    case SOUNDTRACK_BAD_FORMAT:
      return "Couldn't play MP3 file %s: its sample rate is not 44100 Hz\n";
    case SOUNDTRACK_BAD_CHUNK:
      return "Couldn't play MP3 file %s: the audio buffer size is not supported\n";
    case SOUNDTRACK_DECODER_FAILED:
      return "Couldn't start the MP3 decoder for %s\n";
    default:
      return "Couldn't play MP3 file %s\n";
  }
}

void soundtrack_on_first_sound(FirstSoundFn fn, void* context) {
  first_sound_fn = fn;
  first_sound_context = context;
}

void soundtrack_callback(void* userdata, uint8_t* stream, int len) {
  if (stream == nullptr || len <= 0) return;
  if (callback_count <= 0) {
    // Show time 0 is when the sound handed out now is heard: one chunk later.
    const uint32_t chunk_ms = static_cast<uint32_t>(static_cast<int64_t>(len) * 10 / 1764);
    if (first_sound_fn != nullptr) first_sound_fn(first_sound_context, chunk_ms);
    ++callback_count;
  }
  auto* queue = static_cast<uint8_t*>(userdata);
  if (queue == nullptr || !soundtrack_data || !decoder.handle || len > soundtrack_max_chunk) {
    // Nothing to play from, or a request the queue cannot serve.
    std::memset(stream, 0, static_cast<size_t>(len));
    return;
  }
  // Normally a no-op: the queue holds at least one chunk after every call. It
  // matters only if the device asks for more than the chunk it was primed for.
  refill(queue, len);
  std::memcpy(stream, queue, static_cast<size_t>(len));
  drop_front(queue, len);
  refill(queue, len);
}

void soundtrack_close() {
  decoder_exit(&decoder);
  soundtrack_file.reset();
  soundtrack_data.reset();
  soundtrack_size = 0;
  pcm_fill = 0;
  decoder_wants_input = 1;
  callback_count = 0;
  pass_bytes = 0;
}
