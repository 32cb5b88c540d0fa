// What the two SDL edges (the desktop player and the web page) start the
// same way: the audio format the soundtrack is decoded in, and the start-up
// lines of the library's own steps.
#pragma once

#include <SDL.h>

#include <string>

// 44100 Hz, signed 16-bit little-endian stereo, 2048 sample frames (8192
// bytes) per callback, handed to `callback` with `userdata`.
SDL_AudioSpec show_audio_format(void (*callback)(void*, Uint8*, int), void* userdata);

// The start-up lines (without their newline), each with SDL_GetError().
std::string sdl_init_failure();
std::string audio_open_failure();
std::string video_mode_failure();
