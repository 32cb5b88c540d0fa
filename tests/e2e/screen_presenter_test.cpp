// The player's screen presenter on surfaces unlike the show's own layout: the
// show must still draw into gapless 0xAARRGGBB words, and each presented
// frame must arrive converted in the surface. (The library makes no surface
// here that needs locking, so that path is not reached.)
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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

// The time overlay is on the presented picture only: the frame the show drew
// is unchanged after presenting, also when it is the surface itself.
TEST(ScreenPresenter, OverlayIsOnThePresentedPictureOnly) {
  const std::vector<std::string> lines{"0:01"};
  const OverlayBox box = overlay_box(lines, 40, 30);
  for (const uint32_t red_mask : {0xFF0000u, 0xFFu}) {  // drawn into directly, converted
    Surface surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 40, 30, 32, red_mask, 0xFF00, red_mask ^ 0xFF00FFu, 0));
    ASSERT_TRUE(surface);
    ScreenPresenter screen(surface.get(), 40, 30);
    ASSERT_EQ(screen.draws_direct(), red_mask == 0xFF0000u);
    fill_pattern(screen.pixels(), 40, 30);
    const std::vector<uint32_t> frame(screen.pixels(), screen.pixels() + 40 * 30);
    screen.present(&lines);
    EXPECT_EQ(std::vector<uint32_t>(screen.pixels(), screen.pixels() + 40 * 30), frame);
    const std::vector<uint32_t> shown = screen.presented_frame();
    int changed = 0;
    for (int i = 0; i < 40 * 30; ++i) {
      if (shown[i] == frame[i]) continue;
      ++changed;
      ASSERT_TRUE(i % 40 >= box.x && i % 40 < box.x + box.width && i / 40 >= box.y && i / 40 < box.y + box.height) << i;
    }
    EXPECT_GT(changed, box.width * box.height / 2);
    if (!screen.draws_direct()) {
      // The surface holds the presented picture, converted (blue first).
      const auto* pixels = static_cast<const uint32_t*>(surface->pixels);
      const uint32_t p = shown[5 * 40 + 6];
      EXPECT_EQ(pixels[5 * (surface->pitch / 4) + 6], (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF));
    }
  }
}

}  // namespace
