#include "player/web/web_screen.h"

#include <emscripten.h>

#include <algorithm>

#include "player/web/surface_layout.h"

void web_screen_prepare() {
  EM_ASM({
    SDL.defaults.copyOnLock = false;
    SDL.defaults.discardOnLock = true;
    SDL.defaults.opaqueFrontBuffer = false;
  });
}

WebScreen::WebScreen(SDL_Surface* surface, int32_t width, int32_t height)
    : surface_(surface),
      width_(width),
      height_(height),
      layout_(layout_from_masks(surface->format->BytesPerPixel, surface->format->Rmask, surface->format->Gmask,
                                surface->format->Bmask)),
      buffer_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u) {}

void WebScreen::present(const uint32_t* shown) {
  const uint32_t* frame = shown != nullptr ? shown : buffer_.data();
  // The web surface always needs locking; its pixel memory appears at the
  // first lock.
  if (SDL_LockSurface(surface_) < 0) return;
  if (surface_->pixels != nullptr && layout_.bytes_per_pixel >= 2) {
    const int32_t w = std::min(width_, surface_->w);
    const int32_t h = std::min(height_, surface_->h);
    for (int32_t y = 0; y < h; ++y) {
      convert_to_layout(frame + static_cast<std::size_t>(y) * width_, w, 1,
                        static_cast<uint8_t*>(surface_->pixels) + static_cast<std::size_t>(y) * surface_->pitch,
                        surface_->pitch, layout_);
    }
  }
  SDL_UnlockSurface(surface_);
}
