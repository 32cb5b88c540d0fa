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

#include <cstdint>
#include <memory>

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
  int32_t wrong_rate;
  // A frame of the current stream has been decoded and nothing failed since:
  // the stream's layout is known, so a restart can rewind instead of
  // starting from nothing.
  int32_t stream_known;
  // Bytes at the front of the next input that the rewound stream does not
  // need again (tags and the info frame before the first audio frame).
  int64_t skip_input;
};

// Prepares `decoder` with an empty input queue and no frame in progress.
// `input_capacity` is the most input the caller will have queued at once (0:
// unknown); that much buffer space is reserved here, so that queuing input
// after a restart takes no allocation. Returns DECODE_OK, or DECODE_ERR if
// the library cannot be set up (the decoder is then left released).
int decoder_init(Decoder* decoder, int32_t input_capacity);

// Starts the stream over: whatever input is still queued is dropped, and the
// next input is taken as the stream's bytes from its very first byte, so its
// first frame is trimmed of the encoder delay exactly like the first time.
// Once a frame of the stream has been decoded this rewinds to the first
// audio frame and keeps the stream's layout, which takes no allocation;
// before that (or after a failure) it opens a new stream. Returns DECODE_OK
// or DECODE_ERR.
int decoder_restart(Decoder* decoder);

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

// Frees whatever input is still queued and the library state. Safe on a
// released or never initialised decoder.
void decoder_exit(Decoder* decoder);
