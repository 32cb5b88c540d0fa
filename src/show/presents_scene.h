// Cue 1: a shipyard photograph fades in from black and pans behind a
// closing frame of dimmed columns; the group's name flickers in; a symbol
// fades in; a horizontal blur turns random in the last two seconds.
#pragma once

#include <cstdint>

// The shared fade: t / 32 up to 6000 ms, then falling one step every 16 ms.
uint8_t presents_fade(int32_t t);

void shipyard_pan_update(void* state, int32_t now_ms);
void frame_mask_update(void* state, int32_t now_ms);
void word_flicker_update(void* state, int32_t now_ms);
void symbol_fade_update(void* state, int32_t now_ms);
void presents_blur_update(void* state, int32_t now_ms);
