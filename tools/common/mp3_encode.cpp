#include "mp3_encode.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>

namespace {

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LameHandle = std::unique_ptr<lame_global_flags, LameCloser>;

// Sample frames handed to the encoder at a time.
constexpr int frames_per_call = 1152 * 32;

// The library would otherwise print to the terminal; failures are reported
// through the return codes instead.
void quiet(const char*, va_list) {}

Failure fail(const std::string& what) { return Failure{"MP3 encoder: " + what}; }

}  // namespace

Result<void> mp3_encode(std::span<const int16_t> interleaved, const Mp3Settings& settings, std::vector<uint8_t>* mp3) {
  mp3->clear();
  if (settings.channels != 1 && settings.channels != 2) return fail("1 or 2 channels");
  LameHandle lame(lame_init());
  if (!lame) return fail("cannot initialise");
  lame_global_flags* gf = lame.get();
  lame_set_errorf(gf, quiet);
  lame_set_debugf(gf, quiet);
  lame_set_msgf(gf, quiet);
  lame_set_num_channels(gf, settings.channels);
  lame_set_in_samplerate(gf, settings.rate);
  lame_set_out_samplerate(gf, settings.rate);
  lame_set_mode(gf, settings.channels == 1 ? MONO : JOINT_STEREO);
  if (settings.vbr_quality >= 0) {
    lame_set_VBR(gf, vbr_default);
    lame_set_VBR_quality(gf, settings.vbr_quality);
  } else {
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, settings.kbps);
  }
  lame_set_quality(gf, settings.effort);
  lame_set_bWriteVbrTag(gf, settings.info_tag ? 1 : 0);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) return fail("unsupported settings");

  const size_t frames = interleaved.size() / static_cast<size_t>(settings.channels);
  std::vector<uint8_t> chunk(static_cast<size_t>(frames_per_call) * 5 / 4 + 7200);
  mp3->reserve(frames / 4 + chunk.size());
  for (size_t done = 0; done < frames;) {
    const int count = static_cast<int>(std::min<size_t>(frames_per_call, frames - done));
    // The library takes non-const pointers but does not write through them.
    short* pcm = const_cast<short*>(interleaved.data() + done * static_cast<size_t>(settings.channels));
    const int bytes = settings.channels == 2
                          ? lame_encode_buffer_interleaved(gf, pcm, count, chunk.data(), static_cast<int>(chunk.size()))
                          : lame_encode_buffer(gf, pcm, pcm, count, chunk.data(), static_cast<int>(chunk.size()));
    if (bytes < 0) return fail("encoding failed (code " + std::to_string(bytes) + ")");
    mp3->insert(mp3->end(), chunk.begin(), chunk.begin() + bytes);
    done += static_cast<size_t>(count);
  }
  const int bytes = lame_encode_flush(gf, chunk.data(), static_cast<int>(chunk.size()));
  if (bytes < 0) return fail("flushing failed (code " + std::to_string(bytes) + ")");
  mp3->insert(mp3->end(), chunk.begin(), chunk.begin() + bytes);

  if (settings.info_tag) {
    // The encoder left a placeholder frame at the start of the stream; the
    // final info frame (frame count, delay and padding) goes over it.
    unsigned char tag[2880];
    const size_t tag_size = lame_get_lametag_frame(gf, tag, sizeof tag);
    if (tag_size == 0 || tag_size > sizeof tag || tag_size > mp3->size()) return fail("no info frame");
    std::memcpy(mp3->data(), tag, tag_size);
  }
  return {};
}
