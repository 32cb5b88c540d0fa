#include "sound.h"

#include <mpg123.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "music/decoder.h"

std::vector<int16_t> test_signal(int frames, int channels, int rate) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double left = 0.45 * std::sin(2 * M_PI * (220.0 + 400.0 * t) * t) + 0.2 * (static_cast<double>(i) / frames - 0.5);
    const double right = 0.4 * std::sin(2 * M_PI * (660.0 - 300.0 * t) * t + 1.0);
    samples[static_cast<size_t>(i) * channels] = static_cast<int16_t>(left * 32767);
    if (channels == 2) samples[static_cast<size_t>(i) * 2 + 1] = static_cast<int16_t>(right * 32767);
  }
  return samples;
}

std::vector<uint8_t> encode_mp3(const std::vector<int16_t>& samples, const Mp3Settings& settings) {
  std::vector<uint8_t> mp3;
  const Result<void> encoded = mp3_encode(samples, settings, &mp3);
  if (!encoded) throw std::runtime_error(encoded.error());
  return mp3;
}

std::vector<uint8_t> test_track(int frames, const Mp3Settings& settings) {
  return encode_mp3(test_signal(frames, settings.channels, settings.rate), settings);
}

Mp3Settings variable_bit_rate() {
  Mp3Settings settings;
  settings.vbr_quality = 4;
  return settings;
}

IndexedTrack indexed_vbr_track(int frames, int32_t step) {
  IndexedTrack track;
  track.mp3 = test_track(frames, variable_bit_rate());
  if (decoder_build_index(track.mp3.data(), static_cast<int64_t>(track.mp3.size()), step, &track.index) != DECODE_OK)
    throw std::runtime_error("no sound index of the test track");
  return track;
}

std::vector<uint8_t> DecodedSound::bytes() const {
  std::vector<uint8_t> out(samples.size() * 2);
  std::memcpy(out.data(), samples.data(), out.size());
  return out;
}

namespace {

struct Mpg123Delete {
  void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};

}  // namespace

DecodedSound reference_decode(const std::string& path, bool as_played) {
  DecodedSound sound;
  std::unique_ptr<mpg123_handle, Mpg123Delete> handle(mpg123_new(nullptr, nullptr));
  if (!handle) {
    sound.error = "mpg123_new failed";
    return sound;
  }
  mpg123_handle* mh = handle.get();
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  if (as_played) {
    mpg123_format_none(mh);
    mpg123_format(mh, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  if (mpg123_open(mh, path.c_str()) != MPG123_OK) {
    sound.error = mpg123_strerror(mh);
    return sound;
  }
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    size_t done = 0;
    const int result = mpg123_read(mh, buffer.data(), buffer.size(), &done);
    if (result == MPG123_NEW_FORMAT) {
      int encoding = 0;
      mpg123_getformat(mh, &sound.rate, &sound.channels, &encoding);
      sound.signed_16 = encoding == MPG123_ENC_SIGNED_16;
      mpg123_frameinfo info{};
      mpg123_info(mh, &info);
      sound.mpeg1_layer3 = info.version == MPG123_1_0 && info.layer == 3;
      sound.mono = info.mode == MPG123_M_MONO;
    }
    const auto* pcm = reinterpret_cast<const int16_t*>(buffer.data());
    sound.samples.insert(sound.samples.end(), pcm, pcm + done / 2);
    if (result == MPG123_DONE) break;
    if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
      sound.error = mpg123_strerror(mh);
      break;
    }
  }
  mpg123_close(mh);
  return sound;
}
