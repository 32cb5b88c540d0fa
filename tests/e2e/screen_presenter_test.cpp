// The player's screen presenter on surfaces unlike the show's own layout: the
// show must still draw into gapless 0xAARRGGBB words, and each presented
// frame must arrive converted in the surface. (The library makes no surface
// here that needs locking, so that path is not reached.)
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "player/sdl_screen.h"

namespace {

struct SurfaceFree {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

void fill_pattern(uint32_t* pixels, int width, int height) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels[y * width + x] = 0xFF000000u | (x << 16) | (y << 8) | ((x + y) & 0xFF);
  }
}

TEST(ScreenPresenter, DrawsStraightIntoAMatchingSurface) {
  Surface surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 40, 30, 32, 0xFF0000, 0xFF00, 0xFF, 0));
  ASSERT_TRUE(surface);
  ScreenPresenter screen(surface.get(), 40, 30);
  EXPECT_TRUE(screen.draws_direct());
  EXPECT_EQ(screen.pixels(), surface->pixels);
}

TEST(ScreenPresenter, ConvertsIntoA16BitSurface) {
  Surface surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 40, 30, 16, 0xF800, 0x07E0, 0x001F, 0));
  ASSERT_TRUE(surface);
  ScreenPresenter screen(surface.get(), 40, 30);
  ASSERT_FALSE(screen.draws_direct());
  fill_pattern(screen.pixels(), 40, 30);
  screen.present();
  for (int y = 0; y < 30; ++y) {
    const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < 40; ++x) {
      const uint32_t want = (x >> 3) << 11 | (y >> 2) << 5 | (((x + y) & 0xFF) >> 3);
      ASSERT_EQ(row[x], want) << x << "," << y;
    }
  }
}

TEST(ScreenPresenter, ConvertsIntoABlueFirstSurface) {
  Surface surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 40, 30, 32, 0xFF, 0xFF00, 0xFF0000, 0));
  ASSERT_TRUE(surface);
  ScreenPresenter screen(surface.get(), 40, 30);
  ASSERT_FALSE(screen.draws_direct());
  fill_pattern(screen.pixels(), 40, 30);
  screen.present();
  const auto* pixels = static_cast<const uint32_t*>(surface->pixels);
  EXPECT_EQ(pixels[0], 0x000000u);
  EXPECT_EQ(pixels[5 * (surface->pitch / 4) + 7], (12u << 16) | (5u << 8) | 7u);
}

}  // namespace
