#include "music/decoder.h"

#include <mpg123.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

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

bool configure(mpg123_handle* handle, int32_t input_capacity, long extra_flags = 0) {
  // Gapless: trim the encoder delay and padding announced by the info frame.
  // No Frankenstein streams: decoding stops at the announced end, so bytes
  // after the music (tags, junk) are never taken for more frames.
  // ID3v2 tags are skipped unparsed: nothing here needs their contents.
  const long add = MPG123_GAPLESS | MPG123_QUIET | MPG123_SKIP_ID3V2 | MPG123_NO_FRANKENSTEIN | extra_flags;
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
    // Pooled input buffers of one input's size: queued input goes into them,
    // and consumed ones (or all of them, on a restart) go back to the pool
    // instead of being freed. A frame can straddle two inputs, so a few are
    // in use at once at most.
    if (mpg123_param(handle, MPG123_FEEDPOOL, 4, 0.0) != MPG123_OK) return false;
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

long state_of(mpg123_handle* handle, mpg123_state key) {
  long value = -1;
  double ignored = 0;
  return mpg123_getstate(handle, key, &value, &ignored) == MPG123_OK ? value : -1;
}

// What the library finds when it reads a stream's frames without decoding
// them, with the decoder's own settings plus `extra_flags`.
struct StreamLayout {
  bool ok = false;       // the library could be set up
  int64_t frames = 0;    // frames read up to where decoding would stop
  int64_t samples = 0;   // sample frames those decode to (trimmed if gapless)
  long encoder_delay = -1;
  long encoder_padding = -1;
  long decoder_delay = -1;
  int32_t frame_samples = 0;
  std::vector<int64_t> offsets;  // of every frame read, when asked for
};

constexpr int64_t examine_piece = 64 * 1024;

StreamLayout read_layout(const uint8_t* data, int64_t size, long extra_flags, bool with_offsets = false) {
  StreamLayout layout;
  int error = MPG123_OK;
  std::unique_ptr<mpg123_handle, DecoderHandleDeleter> handle(mpg123_new(nullptr, &error));
  // A negative index size lets the index grow with one entry per frame.
  if (!handle || (with_offsets && mpg123_param(handle.get(), MPG123_INDEX_SIZE, -1024, 0.0) != MPG123_OK) ||
      !configure(handle.get(), static_cast<int32_t>(examine_piece), extra_flags)) {
    return layout;
  }
  layout.ok = true;
  int64_t fed = 0;
  for (;;) {
    const int result = mpg123_framebyframe_next(handle.get());
    if (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
      ++layout.frames;
      continue;
    }
    if (result != MPG123_NEED_MORE || fed >= size) break;
    const int64_t piece = size - fed < examine_piece ? size - fed : examine_piece;
    if (mpg123_feed(handle.get(), data + fed, static_cast<size_t>(piece)) != MPG123_OK) break;
    fed += piece;
  }
  const off_t end = mpg123_tell(handle.get());
  layout.samples = end > 0 ? end : 0;
  layout.encoder_delay = state_of(handle.get(), MPG123_ENC_DELAY);
  layout.encoder_padding = state_of(handle.get(), MPG123_ENC_PADDING);
  layout.decoder_delay = state_of(handle.get(), MPG123_DEC_DELAY);
  const int spf = mpg123_spf(handle.get());
  layout.frame_samples = spf > 0 ? spf : 0;
  off_t* offsets = nullptr;
  off_t step = 0;
  size_t fill = 0;
  if (with_offsets && mpg123_index(handle.get(), &offsets, &step, &fill) == MPG123_OK && step == 1) {
    layout.offsets.assign(offsets, offsets + fill);
  }
  return layout;
}

// How a stream is played: its pass length, and whether the decoder trims it
// itself (see Decoder::own_trim) and where.
struct PassLayout {
  bool ok = false;
  int64_t pass_frames = 0;
  bool own_trim = false;
  int64_t trim_begin = 0;
  int64_t trim_end = 0;
  StreamLayout whole;  // every frame the data holds
};

PassLayout find_pass_layout(const uint8_t* data, int64_t size, bool with_offsets) {
  PassLayout pass;
  // The frames as decoding reads them (up to the announced end), and all the
  // frames the data holds, whatever the info frame announces.
  const StreamLayout announced = read_layout(data, size, 0);
  pass.whole = read_layout(data, size, MPG123_IGNORE_STREAMLENGTH, with_offsets);
  const StreamLayout& whole = pass.whole;
  if (!announced.ok || !whole.ok) return pass;
  pass.ok = true;
  pass.pass_frames = announced.samples;
  // The library trims only a stream whose length the info frame announces: a
  // count of 0 reads as no count, and the delay and padding announced beside
  // it would then be played as sound.
  const bool trim_lost = announced.samples >= whole.samples && (whole.encoder_delay > 0 || whole.encoder_padding > 0);
  if (announced.frames * 4 >= whole.frames * 3 && !trim_lost) return pass;

  // The library trims the delay at the start and the padding at the end of
  // the announced frames; here the same is cut from all the frames there are.
  const int64_t decoder_delay = whole.decoder_delay > 0 ? whole.decoder_delay : 0;
  pass.own_trim = true;
  pass.trim_begin = (whole.encoder_delay > 0 ? whole.encoder_delay : 0) + decoder_delay;
  pass.trim_end = whole.samples - (whole.encoder_padding > 0 ? whole.encoder_padding : 0) + decoder_delay;
  if (pass.trim_end > whole.samples) pass.trim_end = whole.samples;
  pass.pass_frames = pass.trim_end > pass.trim_begin ? pass.trim_end - pass.trim_begin : 0;
  return pass;
}

// The frames' places as the library takes them: the index's own entries
// where they are off_t, otherwise their copy as off_t (see
// Decoder::narrow_offsets).
template <typename Entry>
off_t* library_offsets(std::vector<Entry>& entries, std::vector<off_t>& narrow) {
  if constexpr (std::is_same_v<Entry, off_t>) {
    return entries.data();
  } else {
    return narrow.data();
  }
}

// Gives the library, before a seek to sample frame `sample` of a pass, the
// frames' places only up to a lead-in ahead of it (see
// sound_index_lead_in_frames): given more, the library would start reading
// too close to the target for the sound to be exact. Between seeks it holds
// those for sample 0, where every repeat of the music starts: the repeat's
// restart then gives it as many entries as it holds, which takes no
// allocation on the audio thread.
int install_frame_offsets(Decoder* decoder, int64_t sample = 0) {
  const SoundIndex& index = decoder->index;
  if (index.offsets.empty()) return DECODE_OK;
  size_t fill = index.offsets.size();
  if (index.frame_samples > 0) {
    const int64_t frame =
        (sample + index.lead) / index.frame_samples - sound_index_preroll_frames - sound_index_lead_in_frames;
    const int64_t entries = frame > 0 ? frame / index.step + 1 : 1;
    if (static_cast<size_t>(entries) < fill) fill = static_cast<size_t>(entries);
  }
  return mpg123_set_index(decoder->handle.get(), library_offsets(decoder->index.offsets, decoder->narrow_offsets),
                          index.step, fill) == MPG123_OK
             ? DECODE_OK
             : DECODE_ERR;
}

void reset_stream_state(Decoder* decoder) {
  decoder->wrong_rate = 0;
  decoder->stream_known = 0;
  decoder->skip_input = 0;
  decoder->raw_position = 0;
  decoder->stream_ended = 0;
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

namespace {

// Sets the decoder up to play passes as its index says: gives the library
// the frames' places and, for a stream it trims itself, lets it read every
// frame.
int use_index(Decoder* decoder) {
  const SoundIndex& index = decoder->index;
  if constexpr (!std::is_same_v<off_t, int64_t>) {
    decoder->narrow_offsets.clear();
    for (const int64_t offset : index.offsets) {
      if (offset > std::numeric_limits<off_t>::max()) return DECODE_ERR;
      decoder->narrow_offsets.push_back(static_cast<off_t>(offset));
    }
  }
  if (install_frame_offsets(decoder) != DECODE_OK) return DECODE_ERR;
  if (!index.own_trim) return DECODE_OK;
  mpg123_handle* handle = decoder->handle.get();
  if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_IGNORE_STREAMLENGTH, 0.0) != MPG123_OK) return DECODE_ERR;
  if (mpg123_open_feed(handle) != MPG123_OK || install_frame_offsets(decoder) != DECODE_OK) return DECODE_ERR;
  reset_stream_state(decoder);
  return DECODE_OK;
}

// What `pass` (read with every frame's offset) says as an index with an
// entry every `step` frames: without entries when it holds no frame of
// sound.
SoundIndex index_from_layout(const PassLayout& pass, int64_t size, int32_t step) {
  const StreamLayout& whole = pass.whole;
  SoundIndex index;
  index.pass_frames = pass.pass_frames;
  index.own_trim = pass.own_trim ? 1 : 0;
  index.trim_begin = pass.trim_begin;
  index.trim_end = pass.trim_end;
  if (!pass.ok || whole.offsets.empty() || whole.frame_samples <= 0 || pass.pass_frames <= 0) return index;
  index.file_bytes = size;
  index.frame_samples = whole.frame_samples;
  index.lead = pass.own_trim ? pass.trim_begin
                             : (whole.encoder_delay > 0 ? whole.encoder_delay : 0) +
                                   (whole.decoder_delay > 0 ? whole.decoder_delay : 0);
  index.step = step;
  for (size_t k = 0; k < whole.offsets.size(); k += static_cast<size_t>(step)) index.offsets.push_back(whole.offsets[k]);
  return index;
}

}  // namespace

int decoder_examine(Decoder* decoder, const uint8_t* data, int64_t size) {
  if (decoder->handle == nullptr || (data == nullptr && size > 0) || size < 0) return DECODE_ERR;
  decoder->index = SoundIndex{};
  const PassLayout pass = find_pass_layout(data, size, true);
  if (!pass.ok) return DECODE_ERR;
  // With every frame's place known the decoder seeks as from an index: the
  // library's own index, grown while it plays, would let a seek start too
  // close to its target for the sound to be exact.
  decoder->index = index_from_layout(pass, size, 1);
  return use_index(decoder);
}

int decoder_use_index(Decoder* decoder, const SoundIndex& index) {
  if (decoder->handle == nullptr || index.offsets.empty() || index.step <= 0) return DECODE_ERR;
  decoder->index = index;
  return use_index(decoder);
}

int decoder_build_index(const uint8_t* data, int64_t size, int32_t step, SoundIndex* index) {
  if (!library_ready() || (data == nullptr && size > 0) || size < 0 || step <= 0) return DECODE_ERR;
  SoundIndex built = index_from_layout(find_pass_layout(data, size, true), size, step);
  if (built.offsets.empty()) return DECODE_ERR;
  *index = std::move(built);
  return DECODE_OK;
}

int decoder_restart(Decoder* decoder, int64_t sample, int64_t* input_offset) {
  mpg123_handle* handle = decoder->handle.get();
  if (handle == nullptr || sample < 0) return DECODE_ERR;
  decoder->wrong_rate = 0;
  decoder->stream_ended = 0;
  if (decoder->stream_known) {
    // Seeking drops the queued input and tells from which byte of the stream
    // to feed again (for sample 0: the first audio frame). The delay to trim
    // and the stream's length stay known, so the next pass plays exactly like
    // the first one. The library finds where to start reading through the
    // frame places it is given (its index), then reads (without decoding)
    // and decodes up to the target as it would from the stream's start.
    const int64_t target = decoder->index.own_trim ? decoder->index.trim_begin + sample : sample;
    off_t offset = 0;
    if (install_frame_offsets(decoder, sample) == DECODE_OK &&
        mpg123_feedseek(handle, static_cast<off_t>(target), SEEK_SET, &offset) >= 0 && offset >= 0 &&
        install_frame_offsets(decoder) == DECODE_OK) {
      decoder->raw_position = target;
      if (input_offset != nullptr) {
        *input_offset = offset;
        decoder->skip_input = 0;
      } else {
        decoder->skip_input = offset;
      }
      return DECODE_OK;
    }
  }
  reset_stream_state(decoder);
  if (input_offset != nullptr) *input_offset = 0;
  if (sample != 0) return DECODE_ERR;
  return mpg123_open_feed(handle) == MPG123_OK ? install_frame_offsets(decoder) : DECODE_ERR;
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
      size_t first = 0;
      const SoundIndex& index = decoder->index;
      if (index.own_trim) {
        // Keep the part of this frame's samples within the trimmed range.
        const int64_t begin = decoder->raw_position;
        const int64_t end = begin + static_cast<int64_t>(bytes / 4);
        decoder->raw_position = end;
        const int64_t keep_begin = begin > index.trim_begin ? begin : index.trim_begin;
        const int64_t keep_end = end < index.trim_end ? end : index.trim_end;
        first = keep_end > keep_begin ? static_cast<size_t>(keep_begin - begin) * 4 : 0;
        bytes = keep_end > keep_begin ? static_cast<size_t>(keep_end - keep_begin) * 4 : 0;
      }
      if (bytes > 0) std::memcpy(output, audio + first, bytes);
      *produced = static_cast<int32_t>(bytes);
      decoder->stream_known = 1;
      return DECODE_OK;
    }
    if (result == MPG123_NEED_MORE) return DECODE_NEED_MORE;
    if (result == MPG123_DONE) {
      decoder->stream_ended = 1;
      return DECODE_NEED_MORE;
    }
    break;
  }
  // The stream cannot be decoded from here on; tell a wrong sample rate
  // (the format negotiation found no 44100 Hz output) from damaged data.
  decoder->wrong_rate = stream_rate_is_ours(handle) ? 0 : 1;
  decoder->stream_known = 0;
  return DECODE_ERR;
}

bool decoder_stream_ended(const Decoder* decoder) { return decoder->stream_ended != 0; }

void decoder_exit(Decoder* decoder) {
  decoder->handle.reset();
  reset_stream_state(decoder);
  decoder->index = SoundIndex{};
  decoder->narrow_offsets.clear();
}
