#include "music_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>

#include "music_timing.h"

namespace music {
namespace {

// LAME's VBR scale: 2 gives about 190 kbit/s, transparent for this material.
constexpr float kVbrQuality = 2.0f;
// Encoder search effort (0 best, 9 fastest); 5 keeps a three-minute track to a few seconds.
constexpr int kAlgorithmQuality = 5;
constexpr int kFramesPerCall = 1152 * 32;

struct LameDeleter {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LameHandle = std::unique_ptr<lame_global_flags, LameDeleter>;

// The library would otherwise print to the terminal; failures are reported
// through the return codes instead.
void quiet(const char*, va_list) {}

bool fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = "MP3 encoder: " + what;
  return false;
}

}  // namespace

bool encode_mp3(std::span<const int16_t> interleaved, std::vector<unsigned char>* mp3,
                std::string* error) {
  mp3->clear();
  LameHandle lame(lame_init());
  if (!lame) return fail(error, "cannot initialise");
  lame_global_flags* gf = lame.get();
  lame_set_errorf(gf, quiet);
  lame_set_debugf(gf, quiet);
  lame_set_msgf(gf, quiet);
  lame_set_num_channels(gf, 2);
  lame_set_in_samplerate(gf, kSampleRate);
  lame_set_out_samplerate(gf, kSampleRate);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_VBR(gf, vbr_default);
  lame_set_VBR_quality(gf, kVbrQuality);
  lame_set_quality(gf, kAlgorithmQuality);
  lame_set_bWriteVbrTag(gf, 1);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) return fail(error, "unsupported settings");

  const size_t frames = interleaved.size() / 2;
  std::vector<unsigned char> chunk(static_cast<size_t>(kFramesPerCall) * 5 / 4 + 7200);
  mp3->reserve(frames / 4 + chunk.size());
  for (size_t done = 0; done < frames;) {
    const int count = static_cast<int>(std::min<size_t>(kFramesPerCall, frames - done));
    // LAME takes a non-const pointer but does not write through it.
    short* pcm = const_cast<short*>(interleaved.data() + done * 2);
    const int bytes = lame_encode_buffer_interleaved(gf, pcm, count, chunk.data(), static_cast<int>(chunk.size()));
    if (bytes < 0) return fail(error, "encoding failed (code " + std::to_string(bytes) + ")");
    mp3->insert(mp3->end(), chunk.begin(), chunk.begin() + bytes);
    done += static_cast<size_t>(count);
  }
  const int bytes = lame_encode_flush(gf, chunk.data(), static_cast<int>(chunk.size()));
  if (bytes < 0) return fail(error, "flushing failed (code " + std::to_string(bytes) + ")");
  mp3->insert(mp3->end(), chunk.begin(), chunk.begin() + bytes);

  // The encoder left a placeholder frame at the start of the stream; the
  // final info tag (frame count, delay and padding) goes over it.
  unsigned char tag[2880];
  const size_t tag_size = lame_get_lametag_frame(gf, tag, sizeof tag);
  if (tag_size == 0 || tag_size > sizeof tag || tag_size > mp3->size())
    return fail(error, "no info tag frame");
  std::memcpy(mp3->data(), tag, tag_size);
  return true;
}

}  // namespace music
