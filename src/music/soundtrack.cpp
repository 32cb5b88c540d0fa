#include "music/soundtrack.h"

#include <sys/stat.h>

#include <cstring>
#include <new>

Decoder decoder;
FileHandle soundtrack_file;
std::unique_ptr<uint8_t[]> soundtrack_data;
int32_t soundtrack_size = 0;
int32_t pcm_fill = 0;
int32_t decoder_wants_input = 1;
int32_t callback_count = 0;

namespace {

// Who is told about the sound handed out (soundtrack_listen).
SoundListener listener;

// Bytes decoded since the decoder was last handed the file. A pass over the
// file that ends with nothing decoded would repeat forever without sound, so
// the refill loops stop on it.
int64_t pass_bytes = 0;

// The decoder gets the file in pieces of this size, each when it asks for
// more, so that it never holds a second copy of the whole file.
constexpr int32_t feed_piece = 64 * 1024;
// Next byte of the file to hand to the decoder.
int64_t feed_position = 0;
// Sample frame of the pass at which the next pass starts (see soundtrack_seek).
int64_t next_pass_start = 0;
// Bytes handed to the device since the soundtrack was opened (or since
// soundtrack_play_from), and the show time at which they start.
int64_t handed_bytes = 0;
int64_t sound_base_ms = 0;
// soundtrack_pause.
bool paused = false;

// Whether a decode step's result ends the pass over the file: the decoder
// failed, or wants more when the file has been fed whole or its stream ended.
bool pass_ended(int result) {
  return result == DECODE_ERR ||
         (result == DECODE_NEED_MORE && (feed_position >= soundtrack_size || decoder_stream_ended(&decoder)));
}

// One decode step: starts a new pass (a restarted stream, fed from the first
// byte it needs) if the previous step ended the pass, feeds the next piece of
// the file if the decoder asked for more, decodes at most one frame to the
// back of the queue and records the result.
int decode_step(uint8_t* queue) {
  const uint8_t* input = nullptr;
  int32_t input_length = 0;
  if (decoder_wants_input != 0) {
    if (pass_ended(decoder_wants_input)) {
      pass_bytes = 0;
      // Without the restart the decoder would take the repeated file's info
      // frame for sound and keep its delay and padding: an audible gap.
      int64_t offset = 0;
      if (decoder_restart(&decoder, next_pass_start, &offset) != DECODE_OK) {
        decoder_wants_input = DECODE_ERR;
        return DECODE_ERR;
      }
      next_pass_start = 0;
      feed_position = offset < soundtrack_size ? offset : soundtrack_size;
    }
    const int64_t left = soundtrack_size - feed_position;
    input = soundtrack_data.get() + feed_position;
    input_length = static_cast<int32_t>(left < feed_piece ? left : feed_piece);
    feed_position += input_length;
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
bool pass_was_silent(int result) { return pass_ended(result) && pass_bytes == 0; }

// Every pass over the file costs a restart of the decoder and a new feed of
// the file. A track of a handful of samples would need thousands of passes
// per callback (one sample: 2048 passes, more time than the chunk lasts), so
// passes shorter than 256 sample frames (5.8 ms) are refused at the start.
constexpr int64_t min_pass_bytes = 256 * 4;
bool pass_too_short(int result) { return pass_ended(result) && pass_bytes < min_pass_bytes; }

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

SoundtrackResult read_whole_file(const char* path) {
  // Only regular files: opening a named pipe would wait for a writer forever.
  struct stat info;
  if (::stat(path, &info) == 0 && !S_ISREG(info.st_mode)) return {SoundtrackError::cannot_open};
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return {SoundtrackError::cannot_open};
  soundtrack_file.reset(file);
  if (std::fseek(file, 0, SEEK_END) != 0) return {SoundtrackError::cannot_open};
  const long size = std::ftell(file);
  if (size < 0) return {SoundtrackError::cannot_open};
  // Refused before anything of its size is allocated or read.
  if (size > soundtrack_max_bytes) return {SoundtrackError::too_large};
  if (std::fseek(file, 0, SEEK_SET) != 0) return {SoundtrackError::cannot_open};
  soundtrack_size = static_cast<int32_t>(size);
  soundtrack_data.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size) + 1]());
  if (!soundtrack_data) return {SoundtrackError::cannot_open};
  if (std::fread(soundtrack_data.get(), 1, static_cast<size_t>(size), file) != static_cast<size_t>(size))
    return {SoundtrackError::cannot_open};
  // A directory opens and claims some length on some systems; only a clean
  // end of file proves that the data was really there.
  if (std::fgetc(file) != EOF || std::ferror(file)) return {SoundtrackError::cannot_open};
  return {};
}

SoundtrackResult prime(int32_t chunk, uint8_t* queue, int32_t start_ms) {
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
      if (pass_was_silent(result)) return {decoder.wrong_rate ? SoundtrackError::bad_format : SoundtrackError::no_audio};
      if (pass_too_short(result)) return {SoundtrackError::no_audio};
    }
  }
  return {};
}

}  // namespace

SoundtrackResult soundtrack_open(const char* path, int32_t chunk, uint8_t* queue, int32_t start_ms) {
  soundtrack_close();
  if (queue == nullptr || chunk <= 0 || chunk > soundtrack_max_chunk) return {SoundtrackError::bad_chunk};
  if (path == nullptr) return {SoundtrackError::cannot_open};
  SoundtrackResult result = read_whole_file(path);
  if (result.ok() && (decoder_init(&decoder, feed_piece) != DECODE_OK ||
                      decoder_examine(&decoder, soundtrack_data.get(), soundtrack_size) != DECODE_OK)) {
    result = {SoundtrackError::decoder_failed};
  }
  if (result.ok()) result = prime(chunk, queue, start_ms);
  if (!result.ok()) soundtrack_close();
  return result;
}

std::string SoundtrackResult::message(std::string_view path) const {
  const std::string file(path);
  if (!error) return {};
  switch (*error) {
    case SoundtrackError::cannot_open:
      return "Couldn't open MP3 file " + file;
    case SoundtrackError::no_audio:
      return "Couldn't decode MP3 file " + file + ": it holds no MPEG audio";
    case SoundtrackError::bad_format:
      return "Couldn't play MP3 file " + file + ": its sample rate is not 44100 Hz";
    case SoundtrackError::bad_chunk:
      return "Couldn't play MP3 file " + file + ": the audio buffer size is not supported";
    case SoundtrackError::decoder_failed:
      return "Couldn't start the MP3 decoder for " + file;
    case SoundtrackError::too_large:
      return "Couldn't play MP3 file " + file + ": it is larger than 256 MiB";
  }
  return "Couldn't play MP3 file " + file;
}

void soundtrack_listen(const SoundListener& new_listener) { listener = new_listener; }

void soundtrack_callback(void* userdata, uint8_t* stream, int len) {
  if (stream == nullptr || len <= 0) return;
  if (paused) {
    std::memset(stream, 0, static_cast<size_t>(len));
    return;
  }
  // The show time at which the sound handed out now begins to be heard;
  // once it is handed out, the listener may hold the clock to it.
  const int64_t position_ms = sound_base_ms + handed_bytes * 10 / 1764;
  if (callback_count <= 0) {
    // That sound is heard one chunk from now.
    const uint32_t chunk_ms = static_cast<uint32_t>(static_cast<int64_t>(len) * 10 / 1764);
    if (listener.first_sound != nullptr) listener.first_sound(listener.context, chunk_ms, position_ms);
    ++callback_count;
  }
  handed_bytes += len;
  auto* queue = static_cast<uint8_t*>(userdata);
  if (queue == nullptr || !soundtrack_data || !decoder.handle || len > soundtrack_max_chunk) {
    // Nothing to play from, or a request the queue cannot serve.
    std::memset(stream, 0, static_cast<size_t>(len));
  } else {
    // Normally a no-op: the queue holds at least one chunk after every call.
    // It matters only if the device asks for more than the chunk it was
    // primed for.
    refill(queue, len);
    std::memcpy(stream, queue, static_cast<size_t>(len));
    drop_front(queue, len);
    refill(queue, len);
  }
  if (listener.sound_from != nullptr) listener.sound_from(listener.context, position_ms);
}

int64_t soundtrack_pass_frames() { return soundtrack_data && decoder.pass_frames > 0 ? decoder.pass_frames : 0; }

SoundtrackResult soundtrack_seek(uint8_t* queue, int32_t chunk, int64_t frame) {
  const int64_t pass = soundtrack_pass_frames();
  if (queue == nullptr || chunk <= 0 || chunk > soundtrack_max_chunk || frame < 0) {
    soundtrack_close();
    return {SoundtrackError::bad_chunk};
  }
  if (pass <= 0) {
    soundtrack_close();
    return {SoundtrackError::no_audio};
  }
  // The music repeats from its start without a gap, so every pass is alike.
  next_pass_start = frame % pass;
  decoder_wants_input = DECODE_ERR;  // the next step starts a pass there
  pcm_fill = 0;
  while (pcm_fill < chunk) {
    const int result = decode_step(queue);
    if (pass_was_silent(result)) {
      // The stream could not be positioned: leave the soundtrack as closed
      // rather than playing from somewhere else.
      soundtrack_close();
      return {SoundtrackError::no_audio};
    }
  }
  return {};
}

SoundtrackResult soundtrack_play_from(uint8_t* queue, int32_t chunk, int64_t frame, int64_t show_ms) {
  SoundtrackResult result = soundtrack_seek(queue, chunk, frame);
  if (!result.ok()) return result;
  handed_bytes = 0;
  sound_base_ms = show_ms;
  callback_count = 0;
  return result;
}

void soundtrack_pause(bool pause) {
  // Resumed, the next sound is announced as a first sound: the listener
  // anchors its clock to it again.
  if (paused && !pause) callback_count = 0;
  paused = pause;
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
  feed_position = 0;
  next_pass_start = 0;
  handed_bytes = 0;
  sound_base_ms = 0;
  paused = false;
}
