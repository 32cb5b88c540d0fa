// The screen as the show draws it: 400x300 words of 0xAARRGGBB, no row gap,
// one pixel pointer for the whole run. When the video surface is exactly that
// (and needs no locking and does not flip between pages) the show draws into
// it directly; otherwise it draws into a private buffer that is copied, and
// converted where the layout differs, into the surface before every flip.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "player/screen_convert.h"
#include "player/time_overlay.h"

class ScreenPresenter {
 public:
  // With `may_draw_direct` false the show always draws into the private
  // buffer (needed when frames are shown other than drawn).
  ScreenPresenter(SDL_Surface* surface, int32_t width, int32_t height, bool may_draw_direct = true);
  ScreenPresenter(const ScreenPresenter&) = delete;
  ScreenPresenter& operator=(const ScreenPresenter&) = delete;

  // The drawing target for screen_image; valid until the presenter goes.
  uint32_t* pixels() { return direct_ ? static_cast<uint32_t*>(surface_->pixels) : buffer_.data(); }
  bool draws_direct() const { return direct_; }

  // Brings the finished frame to the surface if needed, then flips. With
  // overlay lines, the time overlay is drawn over the frame on the surface
  // only: the frame the show drew stays as it was (when the show draws into
  // the surface itself, the pixels under the overlay are put back after the
  // flip).
  // A `shown` frame (width x height words) goes to the surface in place of
  // the one drawn, when the show does not draw into the surface itself.
  void present(const std::vector<std::string>* overlay = nullptr, const uint32_t* shown = nullptr);

  // The picture last presented as width x height words 0xAARRGGBB: the
  // show's frame with the overlay, if there was one.
  std::vector<uint32_t> presented_frame();

 private:
  // Copies a rectangle of 0xAARRGGBB words (`stride` words per row) to the
  // surface at (x, y), converting to its layout.
  void copy_to_surface(const uint32_t* source, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h);

  SDL_Surface* surface_;
  int32_t width_;
  int32_t height_;
  PixelLayout layout_{};
  bool direct_ = false;
  std::vector<uint32_t> buffer_;
  const uint32_t* shown_ = nullptr;  // the frame last presented, when not the one drawn
  // The overlay last presented and the frame's pixels under it.
  OverlayBox overlay_box_;
  std::vector<uint32_t> overlay_pixels_;
  std::vector<uint32_t> under_overlay_;
};
