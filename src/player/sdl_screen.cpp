#include "player/sdl_screen.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

ScreenPresenter::ScreenPresenter(SDL_Surface* surface, int32_t width, int32_t height, bool may_draw_direct)
    : surface_(surface), width_(width), height_(height) {
  const SDL_PixelFormat* f = surface->format;
  layout_.bytes_per_pixel = f->BytesPerPixel;
  layout_.red_shift = f->Rshift;
  layout_.green_shift = f->Gshift;
  layout_.blue_shift = f->Bshift;
  layout_.red_loss = f->Rloss;
  layout_.green_loss = f->Gloss;
  layout_.blue_loss = f->Bloss;
  layout_.alpha_mask = f->Amask;
  // A hardware surface with page flipping hands out a different page after
  // each flip, so a pointer taken once would not stay the visible screen.
  const bool page_flipping =
      (surface->flags & (SDL_HWSURFACE | SDL_DOUBLEBUF)) == (SDL_HWSURFACE | SDL_DOUBLEBUF);
  direct_ = may_draw_direct && surface->pixels != nullptr && surface->w == width && surface->h == height && !SDL_MUSTLOCK(surface) &&
            !page_flipping && layout_matches_screen(layout_, surface->pitch, width);
  if (!direct_) buffer_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
}

void ScreenPresenter::copy_to_surface(const uint32_t* source, int32_t stride, int32_t x, int32_t y, int32_t w,
                                      int32_t h) {
  if (SDL_MUSTLOCK(surface_) && SDL_LockSurface(surface_) < 0) return;  // skip this frame's copy
  if (surface_->pixels != nullptr) {
    // Only the part inside the surface is copied.
    w = std::min(w, surface_->w - x);
    h = std::min(h, surface_->h - y);
    const int32_t bytes = layout_.bytes_per_pixel;
    for (int32_t row = 0; row < h; ++row) {
      const uint32_t* in = source + static_cast<size_t>(row) * stride;
      uint8_t* out = static_cast<uint8_t*>(surface_->pixels) + static_cast<size_t>(y + row) * surface_->pitch +
                     static_cast<size_t>(x) * bytes;
      if (direct_) {
        // The surface is the show's own screen: its words as they are.
        std::memcpy(out, in, static_cast<size_t>(w) * sizeof(uint32_t));
      } else if (bytes >= 2) {
        convert_to_layout(in, w, 1, out, surface_->pitch, layout_);
      } else {
        // A palettised surface: let the library pick the nearest colour.
        for (int32_t i = 0; i < w; ++i) {
          out[i] = static_cast<uint8_t>(SDL_MapRGB(surface_->format, static_cast<Uint8>(in[i] >> 16),
                                                   static_cast<Uint8>(in[i] >> 8), static_cast<Uint8>(in[i])));
        }
      }
    }
  }
  if (SDL_MUSTLOCK(surface_)) SDL_UnlockSurface(surface_);
}

void ScreenPresenter::present(const std::vector<std::string>* overlay, const uint32_t* shown) {
  shown_ = direct_ ? nullptr : shown;
  if (!direct_) copy_to_surface(shown_ != nullptr ? shown_ : buffer_.data(), width_, 0, 0, width_, height_);
  overlay_box_ = {};
  if (overlay != nullptr) {
    overlay_box_ = overlay_box(*overlay, width_, height_);
    const OverlayBox& box = overlay_box_;
    const size_t words = static_cast<size_t>(box.width) * static_cast<size_t>(box.height);
    under_overlay_.resize(words);
    const uint32_t* frame = shown_ != nullptr ? shown_ : pixels();
    for (int32_t row = 0; row < box.height; ++row) {
      std::copy_n(frame + static_cast<size_t>(box.y + row) * width_ + box.x, box.width,
                  under_overlay_.begin() + static_cast<std::ptrdiff_t>(row) * box.width);
    }
    overlay_pixels_ = under_overlay_;
    draw_overlay(*overlay, overlay_pixels_.data(), box);
    copy_to_surface(overlay_pixels_.data(), box.width, box.x, box.y, box.width, box.height);
  }
  SDL_Flip(surface_);
  if (overlay != nullptr && direct_) {
    // The show draws into the surface: it gets its frame back as it left it.
    copy_to_surface(under_overlay_.data(), overlay_box_.width, overlay_box_.x, overlay_box_.y, overlay_box_.width,
                    overlay_box_.height);
  }
}

std::vector<uint32_t> ScreenPresenter::presented_frame() {
  const uint32_t* frame = shown_ != nullptr ? shown_ : pixels();
  std::vector<uint32_t> out(frame, frame + static_cast<size_t>(width_) * height_);
  const OverlayBox& box = overlay_box_;
  for (int32_t row = 0; row < box.height; ++row) {
    std::copy_n(overlay_pixels_.begin() + static_cast<std::ptrdiff_t>(row) * box.width, box.width,
                out.begin() + static_cast<std::ptrdiff_t>(box.y + row) * width_ + box.x);
  }
  return out;
}
