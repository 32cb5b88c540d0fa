// The screen in a web page: the show draws into its own 400x300 buffer of
// 0xAARRGGBB words, and each presented frame is converted into the canvas's
// byte order (RGBA, told by the web SDL screen surface's masks) in a second
// buffer, which the canvas takes straight from the program's memory.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "player/screen_convert.h"

class WebScreen {
 public:
  // `surface` is the web SDL screen, which made the page's canvas ready for
  // drawing; it tells the canvas's pixel layout and is not drawn into.
  WebScreen(const SDL_Surface* surface, int32_t width, int32_t height);
  WebScreen(const WebScreen&) = delete;
  WebScreen& operator=(const WebScreen&) = delete;

  // The drawing target for screen_image; valid while the screen exists.
  uint32_t* pixels() { return buffer_.data(); }
  const uint32_t* pixels() const { return buffer_.data(); }
  std::size_t byte_size() const { return buffer_.size() * sizeof(uint32_t); }

  // Shows `frame` (the buffer's current frame, or a frame of the same size
  // in its place), with the time overlay of `overlay` over it on the canvas
  // only (the buffer stays as the show drew it).
  void present(const uint32_t* frame, const std::vector<std::string>* overlay = nullptr);

 private:
  void draw_overlay_on_canvas_pixels(const uint32_t* frame, const std::vector<std::string>& lines);

  int32_t width_;
  int32_t height_;
  PixelLayout layout_;
  std::vector<uint32_t> buffer_;
  // The frame in the canvas's layout, rows packed.
  std::vector<uint32_t> canvas_pixels_;
  std::vector<uint32_t> overlay_pixels_;
};
