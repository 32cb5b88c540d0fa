// The sync test: a flash over the whole screen and a click on every beat, so
// that a viewer can set the audio delay by eye and ear (sava --sync-test).
// The pure parts: the click track the audio device plays, which tells the
// show clock when its sound is heard as the soundtrack does, and the flash
// and the text for a show time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "music/soundtrack.h"

// One beat every half second; the click starts exactly on it (sample frame
// k x 22050) and lasts 10 ms, the flash fades out over 100 ms.
inline constexpr int32_t sync_beat_ms = 500;
inline constexpr int32_t sync_click_frames = 441;
inline constexpr int32_t sync_flash_ms = 100;

// The flash's brightness (0 to 255) at show time `ms`: 255 on the beat,
// fading to 0 by sync_flash_ms after it; 0 before show time 0.
int32_t sync_flash_level(int32_t ms);

// The text shown over the flash.
std::vector<std::string> sync_test_lines(int32_t audio_delay_ms);

// 44100 Hz stereo 16-bit clicks, endlessly, from show time 0.
class ClickTrack {
 public:
  // Set before the device starts; told as the soundtrack's listener is.
  void listen(const SoundListener& listener) { listener_ = listener; }
  // One pull of the device: exactly `len` bytes.
  void callback(uint8_t* stream, int len);

 private:
  SoundListener listener_;
  int64_t handed_bytes_ = 0;
};

// The device callback: `userdata` is the ClickTrack.
void click_track_callback(void* userdata, uint8_t* stream, int len);
