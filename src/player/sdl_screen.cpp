#include "player/sdl_screen.h"

ScreenPresenter::ScreenPresenter(SDL_Surface* surface, int32_t width, int32_t height)
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
  direct_ = surface->pixels != nullptr && surface->w == width && surface->h == height && !SDL_MUSTLOCK(surface) &&
            !page_flipping && layout_matches_screen(layout_, surface->pitch, width);
  if (!direct_) buffer_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
}

void ScreenPresenter::copy_to_surface() {
  if (SDL_MUSTLOCK(surface_) && SDL_LockSurface(surface_) < 0) return;  // skip this frame's copy
  if (surface_->pixels != nullptr) {
    const int32_t w = surface_->w < width_ ? surface_->w : width_;
    const int32_t h = surface_->h < height_ ? surface_->h : height_;
    if (layout_.bytes_per_pixel >= 2) {
      // Rows of the buffer stay width_ apart; only the visible part is copied.
      for (int32_t y = 0; y < h; ++y) {
        convert_to_layout(buffer_.data() + static_cast<size_t>(y) * width_, w, 1,
                          static_cast<uint8_t*>(surface_->pixels) + static_cast<size_t>(y) * surface_->pitch,
                          surface_->pitch, layout_);
      }
    } else {
      // A palettised surface: let the library pick the nearest colour.
      for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = static_cast<uint8_t*>(surface_->pixels) + static_cast<size_t>(y) * surface_->pitch;
        const uint32_t* in = buffer_.data() + static_cast<size_t>(y) * width_;
        for (int32_t x = 0; x < w; ++x) {
          row[x] = static_cast<uint8_t>(SDL_MapRGB(surface_->format, static_cast<Uint8>(in[x] >> 16),
                                                   static_cast<Uint8>(in[x] >> 8), static_cast<Uint8>(in[x])));
        }
      }
    }
  }
  if (SDL_MUSTLOCK(surface_)) SDL_UnlockSurface(surface_);
}

void ScreenPresenter::present() {
  if (!direct_) copy_to_surface();
  SDL_Flip(surface_);
}
