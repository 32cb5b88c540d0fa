#include "music/soundtrack.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "base/platform.h"

namespace {

// The decoder gets the file in pieces of this size, each when it asks for
// more, so that it never holds a second copy of the whole file.
constexpr int32_t feed_piece = 64 * 1024;

// Every pass over the file costs a restart of the decoder and a new feed of
// the file. A track of a handful of samples would need thousands of passes
// per callback (one sample: 2048 passes, more time than the chunk lasts), so
// passes shorter than 256 sample frames (5.8 ms) are refused at the start.
constexpr int64_t min_pass_bytes = 256 * 4;

// What decode_step returns when a streamed file's next bytes are not here
// yet: nothing was decoded, and the decoder waits for them as it was.
constexpr int decode_starved = 2;

bool chunk_fits(int32_t chunk) { return chunk > 0 && chunk <= soundtrack_max_chunk; }

}  // namespace

Soundtrack::Soundtrack() : queue_(new uint8_t[soundtrack_queue_size]()) {}

Soundtrack::~Soundtrack() { close(); }

// Whether a decode step's result ends the pass over the file: the decoder
// failed, or wants more when the file has been fed whole or its stream ended.
bool Soundtrack::pass_ended(int result) const {
  return result == DECODE_ERR ||
         (result == DECODE_NEED_MORE &&
          (state_.feed_position >= state_.size || decoder_stream_ended(&state_.decoder)));
}

// A step that ended a pass over the file without any sound from it.
bool Soundtrack::pass_was_silent(int result) const { return pass_ended(result) && state_.pass_bytes == 0; }

bool Soundtrack::pass_too_short(int result) const { return pass_ended(result) && state_.pass_bytes < min_pass_bytes; }

// One decode step: starts a new pass (a restarted stream, fed from the first
// byte it needs) if the previous step ended the pass, feeds the next piece of
// the file if the decoder asked for more, decodes at most one frame to the
// back of the queue and records the result.
int Soundtrack::decode_step() {
  State& s = state_;
  const uint8_t* input = nullptr;
  int32_t input_length = 0;
  if (s.decoder_wants_input != 0) {
    if (pass_ended(s.decoder_wants_input)) {
      s.pass_bytes = 0;
      // Without the restart the decoder would take the repeated file's info
      // frame for sound and keep its delay and padding: an audible gap.
      int64_t offset = 0;
      if (decoder_restart(&s.decoder, s.next_pass_start, &offset) != DECODE_OK) {
        s.decoder_wants_input = DECODE_ERR;
        return DECODE_ERR;
      }
      s.next_pass_start = 0;
      s.feed_position = offset < s.size ? offset : s.size;
      // Started: a step that finds no bytes here waits for them.
      s.decoder_wants_input = DECODE_NEED_MORE;
    }
    const int64_t left = contiguous_from(s.feed_position) - s.feed_position;
    if (left <= 0 && s.feed_position < s.size) return decode_starved;
    input = s.data.get() + s.feed_position;
    input_length = static_cast<int32_t>(left < feed_piece ? left : feed_piece);
    s.feed_position += input_length;
  }
  int32_t produced = 0;
  // The room left is at least one frame: the queue holds less than a chunk
  // before every step and chunks are at most soundtrack_max_chunk.
  const int result = decoder_decode(&s.decoder, input, input_length, queue_.get() + s.pcm_fill,
                                    soundtrack_queue_size - s.pcm_fill, &produced);
  s.decoder_wants_input = result;
  if (result == DECODE_OK) {
    s.pcm_fill += produced;
    s.pass_bytes += produced;
  }
  return result;
}

// Refills the queue to at least `want` bytes from the real-time path. Only a
// soundtrack that stopped yielding sound (which open rules out), or a
// streamed one whose next bytes have not arrived (which its player holds
// back from), gets silence instead, so that the device never runs short.
void Soundtrack::refill(int32_t want) {
  while (state_.pcm_fill < want) {
    const int result = decode_step();
    if (result == decode_starved || pass_was_silent(result)) {
      std::memset(queue_.get() + state_.pcm_fill, 0, static_cast<size_t>(want - state_.pcm_fill));
      state_.pcm_fill = want;
    }
  }
}

void Soundtrack::drop_front(int32_t bytes) {
  std::memmove(queue_.get(), queue_.get() + bytes, static_cast<size_t>(state_.pcm_fill - bytes));
  state_.pcm_fill -= bytes;
}

Result<void> Soundtrack::read_whole_file(const char* path) {
  // Only regular files: opening a named pipe would wait for a writer forever.
  Result<FileHandle> opened = platform::open_regular_file(path);
  if (!opened) return failure(SoundtrackError::cannot_open);
  state_.file = std::move(*opened);
  std::FILE* file = state_.file.get();
  if (std::fseek(file, 0, SEEK_END) != 0) return failure(SoundtrackError::cannot_open);
  const long size = std::ftell(file);
  if (size < 0) return failure(SoundtrackError::cannot_open);
  // Refused before anything of its size is allocated or read.
  if (size > soundtrack_max_bytes) return failure(SoundtrackError::too_large);
  if (std::fseek(file, 0, SEEK_SET) != 0) return failure(SoundtrackError::cannot_open);
  state_.size = static_cast<int32_t>(size);
  state_.data.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size) + 1]());
  if (!state_.data) return failure(SoundtrackError::cannot_open);
  if (std::fread(state_.data.get(), 1, static_cast<size_t>(size), file) != static_cast<size_t>(size))
    return failure(SoundtrackError::cannot_open);
  // A directory opens and claims some length on some systems; only a clean
  // end of file proves that the data was really there.
  if (std::fgetc(file) != EOF || std::ferror(file)) return failure(SoundtrackError::cannot_open);
  return {};
}

Result<void> Soundtrack::prime(int32_t start_ms) {
  const int32_t chunk = state_.chunk;
  // Sound to decode before playback: one chunk plus the part to skip.
  int64_t remaining = chunk + static_cast<int64_t>(start_ms < 0 ? 0 : start_ms) * 1764 / 10;
  // The front of the queue counts as one chunk of silence, dropped at once.
  state_.pcm_fill = chunk;
  while (remaining > 0) {
    drop_front(chunk);
    while (state_.pcm_fill < chunk) {
      const int32_t before = state_.pcm_fill;
      const int result = decode_step();
      remaining -= state_.pcm_fill - before;
      if (result == decode_starved) return failure(SoundtrackError::no_audio);
      if (pass_was_silent(result))
        return failure(state_.decoder.wrong_rate ? SoundtrackError::bad_format : SoundtrackError::no_audio);
      if (pass_too_short(result)) return failure(SoundtrackError::no_audio);
    }
  }
  return {};
}

Result<void> Soundtrack::open(const char* path, int32_t chunk, int32_t start_ms) {
  close();
  if (path != nullptr) state_.name = path;
  if (!chunk_fits(chunk)) return failure(SoundtrackError::bad_chunk);
  if (path == nullptr) return failure(SoundtrackError::cannot_open);
  state_.chunk = chunk;
  Result<void> result = read_whole_file(path);
  if (result.ok() && (decoder_init(&state_.decoder, feed_piece) != DECODE_OK ||
                      decoder_examine(&state_.decoder, state_.data.get(), state_.size) != DECODE_OK)) {
    result = failure(SoundtrackError::decoder_failed);
  }
  if (result.ok()) result = prime(start_ms);
  if (!result.ok()) close();
  return result;
}

Result<void> Soundtrack::open_stream(const SoundIndex& index, int32_t chunk, std::string_view name) {
  close();
  state_.name = name;
  if (!chunk_fits(chunk)) return failure(SoundtrackError::bad_chunk);
  if (index.file_bytes > soundtrack_max_bytes) return failure(SoundtrackError::too_large);
  state_.chunk = chunk;
  state_.streaming = true;
  state_.size = static_cast<int32_t>(index.file_bytes);
  state_.data.reset(new (std::nothrow) uint8_t[static_cast<size_t>(index.file_bytes) + 1]());
  Result<void> result;
  if (!state_.data) {
    result = failure(SoundtrackError::cannot_open);
  } else if (decoder_init(&state_.decoder, feed_piece) != DECODE_OK ||
             decoder_use_index(&state_.decoder, index) != DECODE_OK) {
    result = failure(SoundtrackError::decoder_failed);
  }
  if (!result.ok()) close();
  return result;
}

void Soundtrack::add_bytes(int64_t offset, const uint8_t* bytes, int64_t length) {
  State& s = state_;
  if (!s.streaming || bytes == nullptr || offset < 0 || length <= 0 || offset >= s.size) return;
  const int64_t end = std::min<int64_t>(offset + length, s.size);
  std::memcpy(s.data.get() + offset, bytes, static_cast<size_t>(end - offset));
  // Joined with every range it touches.
  auto first = std::lower_bound(s.here.begin(), s.here.end(), offset,
                                [](const std::pair<int64_t, int64_t>& r, int64_t at) { return r.second < at; });
  auto last = first;
  int64_t begin = offset, stop = end;
  while (last != s.here.end() && last->first <= end) {
    begin = std::min(begin, last->first);
    stop = std::max(stop, last->second);
    ++last;
  }
  first = s.here.erase(first, last);
  s.here.insert(first, {begin, stop});
}

// The end of the bytes here without a gap from `byte` on (`byte` itself
// when it is not here); the whole file for a soundtrack read whole.
int64_t Soundtrack::contiguous_from(int64_t byte) const {
  if (!state_.streaming) return state_.size;
  for (const auto& [begin, end] : state_.here)
    if (begin <= byte && byte < end) return end;
  return byte;
}

int64_t Soundtrack::present_until(int64_t frame) const {
  constexpr int64_t all = std::numeric_limits<int64_t>::max();
  const int64_t pass = pass_frames();
  if (!state_.streaming || !is_open() || pass <= 0) return all;
  if (frame < 0) return frame;
  const SoundIndex& index = state_.decoder.index;
  // How far a pass decodes from `sample` on.
  auto until = [&](int64_t sample) {
    const int64_t begin = index.first_byte_for(sample);
    return std::max(sample, index.samples_before_byte(contiguous_from(begin)));
  };
  // Every start reads the file's first frames (its layout) before it seeks.
  if (index.samples_before_byte(contiguous_from(0)) <= 0) return frame;
  const int64_t within = frame % pass;
  const int64_t reached = until(within);
  if (reached < pass) return frame - within + reached;
  // The next pass starts from the first frame again.
  const int64_t next = until(0);
  return next >= pass ? all : frame - within + pass + next;
}

int64_t Soundtrack::next_missing_byte(int64_t frame) const {
  const int64_t pass = pass_frames();
  if (!state_.streaming || !is_open() || pass <= 0) return state_.size;
  const SoundIndex& index = state_.decoder.index;
  const int64_t head = contiguous_from(0);
  if (index.samples_before_byte(head) <= 0) return head;
  return contiguous_from(index.first_byte_for(std::max<int64_t>(frame, 0) % pass));
}

Result<void> Soundtrack::prime_stream() {
  if (!state_.streaming || !is_open()) return failure(SoundtrackError::no_audio);
  Result<void> result = prime(0);
  if (!result.ok()) close();
  return result;
}

Failure soundtrack_failure(SoundtrackError error, std::string_view path) {
  const std::string file(path);
  switch (error) {
    case SoundtrackError::cannot_open:
      return {"Couldn't open MP3 file " + file};
    case SoundtrackError::no_audio:
      return {"Couldn't decode MP3 file " + file + ": it holds no MPEG audio"};
    case SoundtrackError::bad_format:
      return {"Couldn't play MP3 file " + file + ": its sample rate is not 44100 Hz"};
    case SoundtrackError::bad_chunk:
      return {"Couldn't play MP3 file " + file + ": the audio buffer size is not supported"};
    case SoundtrackError::decoder_failed:
      return {"Couldn't start the MP3 decoder for " + file};
    case SoundtrackError::too_large:
      return {"Couldn't play MP3 file " + file + ": it is larger than 256 MiB"};
  }
  return {"Couldn't play MP3 file " + file};
}

Failure Soundtrack::close_for(SoundtrackError error) {
  Failure failed = failure(error);
  close();
  return failed;
}

void Soundtrack::callback(uint8_t* stream, int len) {
  if (stream == nullptr || len <= 0) return;
  State& s = state_;
  if (s.paused) {
    std::memset(stream, 0, static_cast<size_t>(len));
    return;
  }
  // The show time at which the sound handed out now begins to be heard;
  // once it is handed out, the listener may hold the clock to it.
  const int64_t position_ms = s.sound_base_ms + s.handed_bytes * 10 / 1764;
  if (s.callback_count <= 0) {
    // That sound is heard one chunk from now.
    const uint32_t chunk_ms = static_cast<uint32_t>(static_cast<int64_t>(len) * 10 / 1764);
    if (listener_.first_sound != nullptr) listener_.first_sound(listener_.context, chunk_ms, position_ms);
    ++s.callback_count;
  }
  s.handed_bytes += len;
  if (!is_open() || len > soundtrack_max_chunk) {
    // Nothing to play from, or a request the queue cannot serve.
    std::memset(stream, 0, static_cast<size_t>(len));
  } else {
    // Normally a no-op: the queue holds at least one chunk after every call.
    // It matters only if the device asks for more than the chunk it was
    // primed for.
    refill(len);
    std::memcpy(stream, queue_.get(), static_cast<size_t>(len));
    drop_front(len);
    refill(len);
  }
  if (listener_.sound_from != nullptr) listener_.sound_from(listener_.context, position_ms);
}

void soundtrack_callback(void* userdata, uint8_t* stream, int len) {
  if (userdata != nullptr) {
    static_cast<Soundtrack*>(userdata)->callback(stream, len);
  } else if (stream != nullptr && len > 0) {
    std::memset(stream, 0, static_cast<size_t>(len));
  }
}

bool Soundtrack::is_open() const { return state_.data != nullptr && state_.decoder.handle != nullptr; }

int64_t Soundtrack::pass_frames() const {
  return is_open() && state_.decoder.index.pass_frames > 0 ? state_.decoder.index.pass_frames : 0;
}

Result<void> Soundtrack::seek(int64_t frame) {
  const int64_t pass = pass_frames();
  if (frame < 0) {
    return close_for(SoundtrackError::bad_chunk);
  }
  if (pass <= 0) {
    return close_for(SoundtrackError::no_audio);
  }
  // The music repeats from its start without a gap, so every pass is alike.
  state_.next_pass_start = frame % pass;
  state_.decoder_wants_input = DECODE_ERR;  // the next step starts a pass there
  state_.pcm_fill = 0;
  // A streamed file may not be here yet: the callback decodes when asked.
  if (state_.streaming) return {};
  while (state_.pcm_fill < state_.chunk) {
    if (pass_was_silent(decode_step())) {
      // The stream could not be positioned: leave the soundtrack as closed
      // rather than playing from somewhere else.
      return close_for(SoundtrackError::no_audio);
    }
  }
  return {};
}

Result<void> Soundtrack::play_from(int64_t frame, int64_t show_ms) {
  Result<void> result = seek(frame);
  if (!result.ok()) return result;
  state_.handed_bytes = 0;
  state_.sound_base_ms = show_ms;
  state_.callback_count = 0;
  return result;
}

void Soundtrack::pause(bool pause) {
  // Resumed, the next sound is announced as a first sound: the listener
  // anchors its clock to it again.
  if (state_.paused && !pause) state_.callback_count = 0;
  state_.paused = pause;
}

void Soundtrack::close() {
  decoder_exit(&state_.decoder);
  state_ = State{};
}
