// The screen as the show draws it: 400x300 words of 0xAARRGGBB, no row gap,
// one pixel pointer for the whole run. When the video surface is exactly that
// (and needs no locking and does not flip between pages) the show draws into
// it directly; otherwise it draws into a private buffer that is copied, and
// converted where the layout differs, into the surface before every flip.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "player/screen_convert.h"

class ScreenPresenter {
 public:
  ScreenPresenter(SDL_Surface* surface, int32_t width, int32_t height);
  ScreenPresenter(const ScreenPresenter&) = delete;
  ScreenPresenter& operator=(const ScreenPresenter&) = delete;

  // The drawing target for screen_image; valid until the presenter goes.
  uint32_t* pixels() { return direct_ ? static_cast<uint32_t*>(surface_->pixels) : buffer_.data(); }
  bool draws_direct() const { return direct_; }

  // Brings the finished frame to the surface if needed, then flips.
  void present();

 private:
  void copy_to_surface();

  SDL_Surface* surface_;
  int32_t width_;
  int32_t height_;
  PixelLayout layout_{};
  bool direct_ = false;
  std::vector<uint32_t> buffer_;
};
