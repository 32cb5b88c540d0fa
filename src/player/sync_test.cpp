#include "player/sync_test.h"

#include <cmath>
#include <cstring>

#include "player/time_overlay.h"

namespace {

constexpr int64_t beat_frames = int64_t{sync_beat_ms} * 441 / 10;
constexpr double pi = 3.141592653589793;

int16_t click_sample(int64_t frame) {
  const int64_t in_beat = frame % beat_frames;
  if (in_beat >= sync_click_frames) return 0;
  // 2 kHz, fading out over the click.
  const double fade = 1.0 - static_cast<double>(in_beat) / sync_click_frames;
  return static_cast<int16_t>(20000.0 * fade * std::sin(2.0 * pi * 2000.0 * static_cast<double>(in_beat) / 44100.0));
}

}  // namespace

int32_t sync_flash_level(int32_t ms) {
  if (ms < 0) return 0;
  const int32_t in_beat = ms % sync_beat_ms;
  return in_beat >= sync_flash_ms ? 0 : 255 * (sync_flash_ms - in_beat) / sync_flash_ms;
}

std::vector<std::string> sync_test_lines(int32_t audio_delay_ms) {
  return {"sync test: a flash and a click on every beat",
          audio_delay_text(audio_delay_ms),
          "+ / -: 10 ms later / earlier, escape: end and keep"};
}

void ClickTrack::callback(uint8_t* stream, int len) {
  if (stream == nullptr || len <= 0) return;
  const int64_t position_ms = handed_bytes_ * 10 / 1764;
  if (handed_bytes_ == 0 && listener_.first_sound != nullptr) {
    listener_.first_sound(listener_.context, static_cast<uint32_t>(int64_t{len} * 10 / 1764), 0);
  }
  std::memset(stream, 0, static_cast<size_t>(len));
  const int64_t first = handed_bytes_ / 4;
  for (int i = 0; i + 4 <= len; i += 4) {
    const uint16_t v = static_cast<uint16_t>(click_sample(first + i / 4));
    stream[i] = stream[i + 2] = static_cast<uint8_t>(v & 0xFF);
    stream[i + 1] = stream[i + 3] = static_cast<uint8_t>(v >> 8);
  }
  handed_bytes_ += len;
  if (listener_.sound_from != nullptr) listener_.sound_from(listener_.context, position_ms);
}

void click_track_callback(void* userdata, uint8_t* stream, int len) {
  if (userdata != nullptr) static_cast<ClickTrack*>(userdata)->callback(stream, len);
}
