// The screen in a web page: the show draws into its own 400x300 buffer of
// 0xAARRGGBB words, and each presented frame is converted into the web SDL
// screen surface (RGBA bytes, told by the masks) between lock and unlock;
// the unlock puts it on the canvas.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "player/screen_convert.h"

// To be called before the video mode is set. The frame is redrawn whole
// every time, so the web SDL never reads the canvas back into the surface
// (no copy, nothing kept at lock), and the converted pixels carry their own
// opacity (no pass over them at unlock).
void web_screen_prepare();

class WebScreen {
 public:
  WebScreen(SDL_Surface* surface, int32_t width, int32_t height);
  WebScreen(const WebScreen&) = delete;
  WebScreen& operator=(const WebScreen&) = delete;

  // The drawing target for screen_image; valid while the screen exists.
  uint32_t* pixels() { return buffer_.data(); }
  const uint32_t* pixels() const { return buffer_.data(); }
  std::size_t byte_size() const { return buffer_.size() * sizeof(uint32_t); }

  // Shows the buffer's current frame, or `shown` (a frame of the same size)
  // in its place.
  void present(const uint32_t* shown = nullptr);

 private:
  SDL_Surface* surface_;
  int32_t width_;
  int32_t height_;
  PixelLayout layout_;
  std::vector<uint32_t> buffer_;
};
