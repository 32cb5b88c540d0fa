// Frame-by-frame MP3 decoding from data held in memory.
//
// The decoder keeps its own queue of input bytes (a copy of what it is
// given) and turns exactly one MPEG audio frame into PCM per successful call:
// interleaved signed 16-bit samples in native byte order, always 44100 Hz
// stereo (mono streams are played on both channels). Encoder delay and
// padding announced by a LAME/Xing info frame are trimmed, so the first
// sample handed out is the first sample of the music and the info frame is
// never decoded as sound.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "music/sound_index.h"

struct mpg123_handle_struct;

inline constexpr int DECODE_OK = 0;
inline constexpr int DECODE_NEED_MORE = 1;
inline constexpr int DECODE_ERR = -1;

// One MPEG-1 layer III frame: 1152 stereo pairs of 16-bit samples.
inline constexpr int32_t DECODER_MAX_FRAME_BYTES = 4608;
inline constexpr int32_t DECODER_RATE = 44100;

struct DecoderHandleDeleter {
  void operator()(mpg123_handle_struct* handle) const;
};

struct Decoder {
  std::unique_ptr<mpg123_handle_struct, DecoderHandleDeleter> handle;
  // Set when the last decode call failed because the stream is not 44100 Hz
  // (such a stream is refused rather than resampled); cleared by
  // decoder_restart.
  int32_t wrong_rate = 0;
  // A frame of the current stream has been decoded and nothing failed since:
  // the stream's layout is known, so a restart can rewind (or seek) instead
  // of starting from nothing.
  int32_t stream_known = 0;
  // Bytes at the front of the next input that the rewound stream does not
  // need again (tags and the info frame before the first audio frame).
  int64_t skip_input = 0;
  // What is known of the stream before it is decoded: found by
  // decoder_examine (with an entry for every frame), or given to
  // decoder_use_index for a stream whose bytes still arrive. The pass length
  // (index.pass_frames, 0 until then), the trim, and where the frames lie:
  // the frames' places are given to the library before each seek up to a
  // lead-in ahead of the target, so that a seek starts near its frame
  // instead of reading every frame before it, and still finds it
  // sample-exactly. No places for data without a frame of sound.
  SoundIndex index;
  // Where off_t is not the index entries' type (on Windows it has 32 bits):
  // index.offsets as the library takes them. Empty elsewhere, where the
  // library is given index.offsets themselves.
  std::vector<off_t> narrow_offsets;
  // Untrimmed sample at which the next decoded frame's output starts.
  int64_t raw_position = 0;
  // The last decode call found the end of the stream (decoder_stream_ended).
  int32_t stream_ended = 0;
};

// Prepares `decoder` with an empty input queue and no frame in progress.
// `input_capacity` is the most input the caller will hand over in one call
// (0: unknown); buffer space for that is reserved here and pooled, so that
// queuing input, also after a restart, takes no allocation. Returns
// DECODE_OK, or DECODE_ERR if the library cannot be set up (the decoder is
// then left released).
int decoder_init(Decoder* decoder, int32_t input_capacity);

// Looks through the whole stream `data` (without decoding it) before it is
// decoded: finds pass_frames and checks the info frame's announced length
// against the frames the data holds. If the announced length covers less
// than three quarters of them (a damaged field would otherwise cut the music
// to a fraction and loop it), or is 0 (read as no length, which would keep
// the encoder's delay and padding), the data decides the length instead and
// the delay and padding are trimmed here. Notes where every frame lies, for
// seeks as from a SoundIndex with a step of 1. Call once
// after decoder_init, before the first decode. Holds no copy of the data
// beyond one input piece at a time. Returns DECODE_OK or DECODE_ERR (the
// library cannot be set up); data holding no frames is not an error here.
int decoder_examine(Decoder* decoder, const uint8_t* data, int64_t size);

// Instead of decoder_examine, for a stream whose bytes still arrive: holds
// `index` (made by decoder_build_index from the whole file) as what is known
// of the stream, so that the decoder can start anywhere the bytes are there.
// Returns DECODE_OK or DECODE_ERR.
int decoder_use_index(Decoder* decoder, const SoundIndex& index);

// Reads the whole stream `data` as decoder_examine does and writes into
// `index` what it learns, with one entry every `step` frames. Returns
// DECODE_OK, or DECODE_ERR when the library cannot be set up or the data
// holds no frames.
int decoder_build_index(const uint8_t* data, int64_t size, int32_t step, SoundIndex* index);

// Starts the stream over: whatever input is still queued is dropped, and the
// next input is taken as the stream's bytes from its very first byte (or
// from *input_offset, see below), so that the next output is exactly sample
// frame `sample` of a pass, trimmed of the encoder delay exactly like the
// first time. Once a frame of the stream has been decoded this seeks within
// the stream's known layout, without decoding what lies before `sample` and
// without allocation; before that (or after a failure) it opens a new stream,
// which can only start at sample 0 (DECODE_ERR otherwise). With
// `input_offset` the caller is told the byte of the stream to feed from next;
// without it the decoder skips that many bytes of the next input itself.
// Returns DECODE_OK or DECODE_ERR.
int decoder_restart(Decoder* decoder, int64_t sample = 0, int64_t* input_offset = nullptr);

// If `input` is not null, first appends a copy of its `input_length` bytes to
// the input queue. Then, if the queued input does not hold the whole next
// frame, or the stream has ended, returns DECODE_NEED_MORE and writes
// nothing. Otherwise decodes exactly one frame into `output`, stores its byte
// count (at most DECODER_MAX_FRAME_BYTES; 0 for a frame that lies wholly in
// the trimmed delay or padding) in `produced` and returns DECODE_OK. Returns
// DECODE_ERR if `output_room` is below DECODER_MAX_FRAME_BYTES, the input
// cannot be queued, or the stream cannot be decoded (see wrong_rate).
int decoder_decode(Decoder* decoder, const uint8_t* input, int32_t input_length, uint8_t* output,
                   int32_t output_room, int32_t* produced);

// True when the last DECODE_NEED_MORE meant that the stream has ended (its
// announced length or an incompatible header was reached), so that more
// input of it would not give more sound.
bool decoder_stream_ended(const Decoder* decoder);

// Frees whatever input is still queued and the library state. Safe on a
// released or never initialised decoder.
void decoder_exit(Decoder* decoder);
