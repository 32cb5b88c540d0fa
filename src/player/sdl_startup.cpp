#include "player/sdl_startup.h"

#include <cstdio>

#include "show/show.h"

SDL_AudioSpec show_audio_format(void (*callback)(void*, Uint8*, int), void* userdata) {
  SDL_AudioSpec format{};
  format.freq = 44100;
  format.format = AUDIO_S16LSB;
  format.channels = 2;
  format.silence = 0;
  format.samples = 2048;
  format.size = 0;
  format.callback = callback;
  format.userdata = userdata;
  return format;
}

std::string sdl_init_failure() { return std::string("Couldn't initialize SDL: ") + SDL_GetError(); }

std::string audio_open_failure() { return std::string("Couldn't open audio: ") + SDL_GetError(); }

std::string video_mode_failure() {
  char size[32];
  std::snprintf(size, sizeof size, "%dx%dx32", screen_width, screen_height);
  return std::string("Couldn't set ") + size + " video mode: " + SDL_GetError();
}
