// The soundtrack: the whole MP3 file held in memory, decoded frame by frame
// into the PCM queue from inside the audio device's callback, repeated from
// its start when it ends. The first callback reports when its sound will be
// heard, which is where the player anchors the show clock.
//
// No platform headers here: the player hands soundtrack_callback to its audio
// device, and the offline renderer calls it directly to pull the same sound.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_handle.h"
#include "music/decoder.h"

// Why the soundtrack cannot be played.
enum class SoundtrackError {
  // The file cannot be opened or read.
  cannot_open,
  // Not a single frame of sound can be decoded from it (empty file, no MPEG
  // audio, or only frames that decode to nothing).
  no_audio,
  // The audio is MPEG audio at a sample rate other than 44100 Hz. (Mono at
  // 44100 Hz is accepted: it is played on both channels.)
  bad_format,
  // The chunk does not fit the PCM queue (chunk must be 1..soundtrack_max_chunk)
  // or no queue was given.
  bad_chunk,
  // The MP3 decoding library could not be set up.
  decoder_failed,
  // The file is larger than soundtrack_max_bytes (refused before it is read).
  too_large,
};

// What soundtrack_open and soundtrack_seek report: success, or the error.
// Every failure leaves the soundtrack closed.
struct [[nodiscard]] SoundtrackResult {
  std::optional<SoundtrackError> error;

  bool ok() const { return !error.has_value(); }
  // The one line (without its newline) for the standard error stream before
  // the program exits with status 1, naming the file at `path`; for
  // cannot_open "Couldn't open MP3 file <path>".
  std::string message(std::string_view path) const;
};

// Largest soundtrack file accepted: 256 MiB, some 4 hours at 128 kbit/s. The
// whole file is held in memory while the show runs.
inline constexpr int64_t soundtrack_max_bytes = int64_t{256} << 20;

// Largest chunk the 16384-byte queue can take: before a decode step the queue
// holds at most chunk - 1 bytes and one step adds at most one frame
// (DECODER_MAX_FRAME_BYTES), so chunk - 1 + 4608 <= 16384.
inline constexpr int32_t soundtrack_queue_size = 16384;
inline constexpr int32_t soundtrack_max_chunk = soundtrack_queue_size - DECODER_MAX_FRAME_BYTES + 1;

// Reads the file at `path` whole, starts the decoder and primes `queue`
// (soundtrack_queue_size bytes) so that it holds at least `chunk` bytes of
// decoded sound, starting `start_ms` milliseconds into the music (rounded to
// whole chunks; the show passes 0). Any state of an earlier open is released
// first.
SoundtrackResult soundtrack_open(const char* path, int32_t chunk, uint8_t* queue, int32_t start_ms);

// Who is told, on the audio thread, when the sound handed out is heard: the
// player, which holds the show clock to it. Each function may be null.
struct SoundListener {
  // The first callback after soundtrack_open (and again after
  // soundtrack_play_from or a resume): the sound it hands out, which stands
  // for show time sound_ms, is heard delay_ms = len * 10 / 1764 from now (one
  // chunk later).
  void (*first_sound)(void* context, uint32_t delay_ms, int64_t sound_ms) = nullptr;
  // After every callback that hands out sound, the first one's report
  // included: the show time (ms) at which the sound it handed out begins to
  // be heard. After soundtrack_open it counts from 0 at the first sound;
  // after soundtrack_play_from, from the show time given there.
  void (*sound_from)(void* context, int64_t sound_ms) = nullptr;
  void* context = nullptr;
};
// Set it before the device starts; it stays until replaced (an empty
// listener: nobody is told).
void soundtrack_listen(const SoundListener& listener);

// The audio device callback (the usual pull-model shape: user pointer, output
// buffer, byte count). `userdata` is the queue given to soundtrack_open.
// Writes exactly `len` bytes to `stream` and refills the queue to at least
// `len` bytes. Tells the listener (above) about the sound it hands out.
// Real-time safe: no allocation, no file input, no locks.
void soundtrack_callback(void* userdata, uint8_t* stream, int len);

// For a player whose device runs the callback: call these only with the
// device's lock held (the callback never runs meanwhile), or before the
// device starts.
//
// Seeks sample-exactly as soundtrack_seek does, to sample frame `frame` of
// the endlessly repeated music, which stands for show time `show_ms`: the
// next callback hands out that frame first and reports it to the listener as
// the first sound again (first_sound with show_ms). A paused soundtrack stays
// paused. On failure the soundtrack is closed (the callback then hands out
// silence).
SoundtrackResult soundtrack_play_from(uint8_t* queue, int32_t chunk, int64_t frame, int64_t show_ms);
// Paused, every callback hands out silence and takes nothing from the queue
// and tells the listener nothing. Resumed, the next callback continues with
// the very next sample, reported to the listener as the first sound again.
void soundtrack_pause(bool paused);

// Releases the decoder's input, closes the file, frees the data and resets
// every state of this unit so that the soundtrack can be opened again.
void soundtrack_close();

// Sample frames of one pass over the open soundtrack (the music repeats
// after that many); 0 when closed.
int64_t soundtrack_pass_frames();

// For a reader that pulls the callback itself (the offline renderer), never
// while an audio device runs it: empties `queue` and refills it with at least
// `chunk` bytes starting at sample frame `frame` of the endlessly repeated
// music, found without decoding what lies before it. Sample-exact: the bytes
// are those the callback would have handed out from that frame on. On
// failure the soundtrack is closed.
SoundtrackResult soundtrack_seek(uint8_t* queue, int32_t chunk, int64_t frame);

// State of the soundtrack. Between soundtrack_open and soundtrack_close only
// the audio callback (one thread at a time) touches these.
extern Decoder decoder;
extern FileHandle soundtrack_file;
extern std::unique_ptr<uint8_t[]> soundtrack_data;
extern int32_t soundtrack_size;
// Valid decoded bytes at the front of the queue.
extern int32_t pcm_fill;
// Result of the last decode call; non-zero: the next decode step hands the
// decoder the next piece of the file, or, once the file has been fed whole
// (or the stream ended, or decoding failed), starts the stream anew and feeds
// the file again from its start. Initially 1.
extern int32_t decoder_wants_input;
// 0 until the first callback has reported the first sound, then 1.
extern int32_t callback_count;
