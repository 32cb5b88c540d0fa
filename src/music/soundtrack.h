// The soundtrack: the whole MP3 file held in memory, decoded frame by frame
// into the PCM queue from inside the audio device's callback, repeated from
// its start when it ends. The first callback reports when its sound will be
// heard, which is where the player anchors the show clock.
//
// Using it (player, web page, renderer, tests):
//
//   Soundtrack music;                        // closed; owns its queue
//   music.listen({...});                     // who is told when sound is heard
//   if (!music.open(path, chunk).ok()) ...   // primed with one chunk
//   music.play_from(sample_at_show_time(ms), ms);   // a start later than 0
//   device userdata = &music, device callback = soundtrack_callback
//   ... the device pulls; seeks and pauses under the device's lock ...
//   close the device, then let `music` go (or music.close()).
//
// Any number of soundtracks can be open at once, each with its own file,
// decoder and queue. No platform headers here: the player hands
// soundtrack_callback to its audio device, and the offline renderer calls
// Soundtrack::callback directly to pull the same sound.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <vector>

#include "base/file_handle.h"
#include "base/result.h"
#include "music/decoder.h"
#include "music/sound_index.h"

// Why the soundtrack cannot be played: each reason has its own line
// (soundtrack_failure).
enum class SoundtrackError {
  // The file cannot be opened or read.
  cannot_open,
  // Not a single frame of sound can be decoded from it (empty file, no MPEG
  // audio, or only frames that decode to nothing).
  no_audio,
  // The audio is MPEG audio at a sample rate other than 44100 Hz. (Mono at
  // 44100 Hz is accepted: it is played on both channels.)
  bad_format,
  // The chunk does not fit the PCM queue (chunk must be
  // 1..soundtrack_max_chunk), or a seek to a negative sample frame.
  bad_chunk,
  // The MP3 decoding library could not be set up.
  decoder_failed,
  // The file is larger than soundtrack_max_bytes (refused before it is read).
  too_large,
};

// The one line (without its newline) for the standard error stream before
// the program exits with status 1, naming the file at `path`; for
// cannot_open "Couldn't open MP3 file <path>". What Soundtrack::open, seek,
// play_from and the others give when they fail, naming the file opened;
// every failure leaves the soundtrack closed.
Failure soundtrack_failure(SoundtrackError error, std::string_view path);

// Largest soundtrack file accepted: 256 MiB, some 4 hours at 128 kbit/s. The
// whole file is held in memory while the show runs.
inline constexpr int64_t soundtrack_max_bytes = int64_t{256} << 20;

// Largest chunk the 16384-byte queue can take: before a decode step the queue
// holds at most chunk - 1 bytes and one step adds at most one frame
// (DECODER_MAX_FRAME_BYTES), so chunk - 1 + 4608 <= 16384.
inline constexpr int32_t soundtrack_queue_size = 16384;
inline constexpr int32_t soundtrack_max_chunk = soundtrack_queue_size - DECODER_MAX_FRAME_BYTES + 1;

// Who is told, on the audio thread, when the sound handed out is heard: the
// player, which holds the show clock to it. Each function may be null.
struct SoundListener {
  // The first callback after open (and again after play_from or a resume):
  // the sound it hands out, which stands for show time sound_ms, is heard
  // delay_ms = len * 10 / 1764 from now (one chunk later).
  void (*first_sound)(void* context, uint32_t delay_ms, int64_t sound_ms) = nullptr;
  // After every callback that hands out sound, the first one's report
  // included: the show time (ms) at which the sound it handed out begins to
  // be heard. After open it counts from 0 at the first sound; after
  // play_from, from the show time given there.
  void (*sound_from)(void* context, int64_t sound_ms) = nullptr;
  void* context = nullptr;
};

// The sample frame of the music heard at show time `ms`: round(ms x 44.1),
// halves up (ms >= 0). The one rule for the player, the web page and the
// renderer.
inline constexpr int64_t sample_at_show_time(int64_t ms) { return (ms * 441 + 5) / 10; }

class Soundtrack {
 public:
  Soundtrack();
  ~Soundtrack();
  // The audio device holds its address: never copied nor moved.
  Soundtrack(const Soundtrack&) = delete;
  Soundtrack& operator=(const Soundtrack&) = delete;

  // Reads the file at `path` whole, starts the decoder and primes the queue
  // so that it holds at least `chunk` bytes (the device's bytes per callback,
  // 1..soundtrack_max_chunk) of decoded sound, starting `start_ms`
  // milliseconds into the music (rounded to whole chunks; the show passes 0).
  // Whatever was open before is closed first; a failure leaves it closed.
  Result<void> open(const char* path, int32_t chunk, int32_t start_ms = 0);

  // A soundtrack whose file still arrives (the web page): its layout from
  // `index` (made from the whole file when the site was built), its bytes
  // handed over with add_bytes as they come, in any order. Nothing is
  // decoded yet: once the file's first frames are here (present_until(0) is
  // more than a chunk), prime_stream() primes it as open does for a start
  // at 0. Seeks and play_from then only move it: the callback decodes.
  // Whatever was open before is closed first; a failure leaves it closed.
  // Failures name the file `name`.
  Result<void> open_stream(const SoundIndex& index, int32_t chunk, std::string_view name);
  // Bytes [offset, offset + length) of the file (a part beyond its end is
  // dropped).
  void add_bytes(int64_t offset, const uint8_t* bytes, int64_t length);
  // The first sample frame at or after `frame` (of the endlessly repeated
  // music) that cannot be decoded from the bytes here yet, counting from a
  // seek to `frame`; `frame` itself when it cannot. A file here whole gives
  // INT64_MAX; so does any soundtrack not opened with open_stream.
  int64_t present_until(int64_t frame) const;
  // The first byte of the file to fetch for playing on from `frame`: the
  // file's first frames while they are missing, else the first byte missing
  // after the ones a seek to `frame` reads; the file's size when everything
  // from there to the file's end is here (and for a file read whole).
  int64_t next_missing_byte(int64_t frame) const;
  // The file's bytes as held (those not here yet are 0); null when closed.
  const uint8_t* file_bytes() const { return state_.data.get(); }
  Result<void> prime_stream();

  // Releases the decoder, closes the file, frees the data and forgets the
  // queue and the pause: as newly made, but for the listener.
  void close();

  // Set it before the device starts, or under its lock; it stays until
  // replaced (an empty listener: nobody is told), also across close.
  void listen(const SoundListener& listener) { listener_ = listener; }

  // One pull of the device: writes exactly `len` bytes to `stream` and
  // refills the queue to at least `len` bytes. Tells the listener about the
  // sound it hands out. Silence while closed or paused. Real-time safe: no
  // allocation, no file input, no locks.
  void callback(uint8_t* stream, int len);

  // For a player whose device runs the callback: call these only with the
  // device's lock held (the callback never runs meanwhile), or before the
  // device starts.
  //
  // Seeks sample-exactly as seek does, to sample frame `frame` of the
  // endlessly repeated music, which stands for show time `show_ms`: the next
  // callback hands out that frame first and reports it to the listener as
  // the first sound again (first_sound with show_ms). A paused soundtrack
  // stays paused. On failure the soundtrack is closed (the callback then
  // hands out silence).
  Result<void> play_from(int64_t frame, int64_t show_ms);
  // Paused, every callback hands out silence, takes nothing from the queue
  // and tells the listener nothing. Resumed, the next callback continues
  // with the very next sample, reported to the listener as the first sound
  // again.
  void pause(bool paused);
  // The show time the next sound handed out stands for: where the sound
  // given to the device so far ends. Under the device's lock.
  int64_t next_sound_ms() const { return state_.sound_base_ms + state_.handed_bytes * 10 / 1764; }

  // For a reader that pulls the callback itself (the offline renderer), never
  // while an audio device runs it: empties the queue and refills it with at
  // least one chunk starting at sample frame `frame` of the endlessly
  // repeated music, found without decoding what lies before it.
  // Sample-exact: the bytes are those the callback would have handed out
  // from that frame on. On failure the soundtrack is closed.
  Result<void> seek(int64_t frame);

  bool is_open() const;
  // Sample frames of one pass over the music (it repeats after that many);
  // 0 when closed.
  int64_t pass_frames() const;
  // The queue (soundtrack_queue_size bytes) and its valid decoded bytes at
  // the front, the next to be handed out.
  const uint8_t* pcm_queue() const { return queue_.get(); }
  int32_t pcm_fill() const { return state_.pcm_fill; }
  // 0 until the next callback has reported a first sound, then 1.
  int32_t callback_count() const { return state_.callback_count; }

 private:
  // Everything that open sets up and close forgets.
  struct State {
    // The file's name in failures.
    std::string name;
    Decoder decoder;
    FileHandle file;
    std::unique_ptr<uint8_t[]> data;
    int32_t size = 0;
    int32_t chunk = 0;
    // Valid decoded bytes at the front of the queue.
    int32_t pcm_fill = 0;
    // Result of the last decode call; non-zero: the next decode step hands
    // the decoder the next piece of the file, or, once the file has been fed
    // whole (or the stream ended, or decoding failed), starts the stream anew
    // and feeds the file again from its start.
    int32_t decoder_wants_input = 1;
    int32_t callback_count = 0;
    // Bytes decoded since the decoder was last handed the file. A pass over
    // the file that ends with nothing decoded would repeat forever without
    // sound, so the refill loops stop on it.
    int64_t pass_bytes = 0;
    // Next byte of the file to hand to the decoder.
    int64_t feed_position = 0;
    // Sample frame of the pass at which the next pass starts (see seek).
    int64_t next_pass_start = 0;
    // Bytes handed to the device since open (or play_from), and the show
    // time at which they start.
    int64_t handed_bytes = 0;
    int64_t sound_base_ms = 0;
    bool paused = false;
    // Streaming (open_stream; the file's index is the decoder's): the
    // file's byte ranges here, sorted and apart.
    bool streaming = false;
    std::vector<std::pair<int64_t, int64_t>> here;
  };

  Failure failure(SoundtrackError error) const { return soundtrack_failure(error, state_.name); }
  // Closes the soundtrack, failed for `error`.
  Failure close_for(SoundtrackError error);
  Result<void> read_whole_file(const char* path);
  Result<void> prime(int32_t start_ms);
  bool pass_ended(int result) const;
  bool pass_was_silent(int result) const;
  bool pass_too_short(int result) const;
  int64_t contiguous_from(int64_t byte) const;
  int decode_step();
  void refill(int32_t want);
  void drop_front(int32_t bytes);

  State state_;
  SoundListener listener_;
  // Allocated apart from the object, exactly soundtrack_queue_size bytes,
  // so that a memory checker sees any overrun.
  std::unique_ptr<uint8_t[]> queue_;
};

// The audio device callback (the usual pull-model shape: user pointer,
// output buffer, byte count): `userdata` is the Soundtrack to pull from
// (null: silence).
void soundtrack_callback(void* userdata, uint8_t* stream, int len);
