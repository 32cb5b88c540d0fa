#include "music/decoder.h"

#include <mpg123.h>

#include <cstdio>
#include <cstring>

void DecoderHandleDeleter::operator()(mpg123_handle_struct* handle) const {
  mpg123_close(handle);
  mpg123_delete(handle);
}

namespace {

bool library_ready() {
  // Needed once per process by older library versions; harmless otherwise.
  static const bool ready = mpg123_init() == MPG123_OK;
  return ready;
}

bool configure(mpg123_handle* handle, int32_t input_capacity) {
  // Gapless: trim the encoder delay and padding announced by the info frame.
  // No Frankenstein streams: decoding stops at the announced end, so bytes
  // after the music (tags, junk) are never taken for more frames.
  // ID3v2 tags are skipped unparsed: nothing here needs their contents.
  const long add = MPG123_GAPLESS | MPG123_QUIET | MPG123_SKIP_ID3V2 | MPG123_NO_FRANKENSTEIN;
  if (mpg123_param(handle, MPG123_ADD_FLAGS, add, 0.0) != MPG123_OK) return false;
  // Stereo signed 16-bit output at the stream's own rate: no resampling (the
  // library's resampler is crude, and upsampled frames would outgrow the
  // one-frame bound of the queue). Mono is decoded to both channels, which
  // is exact. Every rate is allowed here so that the format negotiation
  // succeeds and decoder_decode itself can refuse a rate other than 44100 Hz.
  if (mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0.0) != MPG123_OK) return false;
  if (mpg123_format_none(handle) != MPG123_OK) return false;
  const long* rates = nullptr;
  size_t rate_count = 0;
  mpg123_rates(&rates, &rate_count);
  for (size_t i = 0; i < rate_count; ++i)
    if (mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) return false;
  if (mpg123_format_support(handle, DECODER_RATE, MPG123_ENC_SIGNED_16) != MPG123_STEREO) return false;
  if (input_capacity > 0) {
    // One pooled input buffer that holds the whole input: queued input goes
    // into it, and a restart hands it back to the pool instead of freeing it.
    if (mpg123_param(handle, MPG123_FEEDPOOL, 1, 0.0) != MPG123_OK) return false;
    if (mpg123_param(handle, MPG123_FEEDBUFFER, input_capacity, 0.0) != MPG123_OK) return false;
  }
  return mpg123_open_feed(handle) == MPG123_OK;
}

// What the announced output format allows: DECODE_OK for 44100 Hz stereo
// signed 16-bit, otherwise DECODE_ERR with wrong_rate telling why.
int check_output_format(Decoder* decoder) {
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(decoder->handle.get(), &rate, &channels, &encoding) != MPG123_OK) return DECODE_ERR;
  decoder->wrong_rate = rate != DECODER_RATE ? 1 : 0;
  return rate == DECODER_RATE && channels == 2 && encoding == MPG123_ENC_SIGNED_16 ? DECODE_OK : DECODE_ERR;
}

bool stream_rate_is_ours(mpg123_handle* handle) {
  mpg123_frameinfo info{};
  return mpg123_info(handle, &info) != MPG123_OK || info.rate == DECODER_RATE;
}

}  // namespace

int decoder_init(Decoder* decoder, int32_t input_capacity) {
  decoder_exit(decoder);
  if (!library_ready()) return DECODE_ERR;
  int error = MPG123_OK;
  decoder->handle.reset(mpg123_new(nullptr, &error));
  if (!decoder->handle || !configure(decoder->handle.get(), input_capacity)) {
    decoder_exit(decoder);
    return DECODE_ERR;
  }
  return DECODE_OK;
}

int decoder_restart(Decoder* decoder) {
  mpg123_handle* handle = decoder->handle.get();
  if (handle == nullptr) return DECODE_ERR;
  decoder->wrong_rate = 0;
  if (decoder->stream_known) {
    // Seeking to sample 0 drops the queued input and tells from which byte
    // of the stream to feed again: the first audio frame. The delay to trim
    // and the stream's length stay known, so the next pass plays exactly like
    // the first one.
    off_t offset = 0;
    if (mpg123_feedseek(handle, 0, SEEK_SET, &offset) >= 0 && offset >= 0) {
      decoder->skip_input = offset;
      return DECODE_OK;
    }
  }
  decoder->stream_known = 0;
  decoder->skip_input = 0;
  return mpg123_open_feed(handle) == MPG123_OK ? DECODE_OK : DECODE_ERR;
}

int decoder_decode(Decoder* decoder, const uint8_t* input, int32_t input_length, uint8_t* output,
                   int32_t output_room, int32_t* produced) {
  *produced = 0;
  mpg123_handle* handle = decoder->handle.get();
  if (handle == nullptr || output == nullptr || output_room < DECODER_MAX_FRAME_BYTES) return DECODE_ERR;

  if (input != nullptr) {
    if (input_length < 0) return DECODE_ERR;
    int64_t skip = decoder->skip_input < input_length ? decoder->skip_input : input_length;
    decoder->skip_input -= skip;
    const size_t length = static_cast<size_t>(input_length - skip);
    if (length > 0 && mpg123_feed(handle, input + skip, length) != MPG123_OK) {
      decoder->stream_known = 0;
      return DECODE_ERR;
    }
  }

  for (;;) {
    off_t frame_number = 0;
    unsigned char* audio = nullptr;
    size_t bytes = 0;
    const int result = mpg123_decode_frame(handle, &frame_number, &audio, &bytes);
    if (result == MPG123_NEW_FORMAT) {
      if (check_output_format(decoder) != DECODE_OK) {
        decoder->stream_known = 0;
        return DECODE_ERR;
      }
      continue;  // the announcement carries no samples; the frame comes next
    }
    if (result == MPG123_OK) {
      if (bytes > static_cast<size_t>(DECODER_MAX_FRAME_BYTES) || (bytes > 0 && audio == nullptr)) break;
      if (bytes > 0) std::memcpy(output, audio, bytes);
      *produced = static_cast<int32_t>(bytes);
      decoder->stream_known = 1;
      return DECODE_OK;
    }
    if (result == MPG123_NEED_MORE || result == MPG123_DONE) return DECODE_NEED_MORE;
    break;
  }
  // The stream cannot be decoded from here on; tell a wrong sample rate
  // (the format negotiation found no 44100 Hz output) from damaged data.
  decoder->wrong_rate = stream_rate_is_ours(handle) ? 0 : 1;
  decoder->stream_known = 0;
  return DECODE_ERR;
}

void decoder_exit(Decoder* decoder) {
  decoder->handle.reset();
  decoder->wrong_rate = 0;
  decoder->stream_known = 0;
  decoder->skip_input = 0;
}
