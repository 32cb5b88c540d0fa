#include "player/sdl_startup.h"

#include <cstdio>

#include "show/show.h"

SDL_AudioSpec show_audio_format(void (*callback)(void*, Uint8*, int), void* userdata) {
  SDL_AudioSpec spec{};
  spec.freq = 44100;
  spec.format = AUDIO_S16LSB;
  spec.channels = 2;
  spec.silence = 0;
  spec.samples = 2048;
  spec.size = 0;
  spec.callback = callback;
  spec.userdata = userdata;
  return spec;
}

std::string sdl_init_failure() { return std::string("Couldn't initialize SDL: ") + SDL_GetError(); }

std::string audio_open_failure() { return std::string("Couldn't open audio: ") + SDL_GetError(); }

std::string video_mode_failure() {
  char size[32];
  std::snprintf(size, sizeof size, "%dx%dx32", screen_width, screen_height);
  return std::string("Couldn't set ") + size + " video mode: " + SDL_GetError();
}
