// Cue 10: laptop photographs cross-fading additively over a motherboard,
// sliding captions, a scrolling strip, letterbox bands and a beat flash.
#pragma once

#include <cstdint>

void laptop_fade_back_update(void* state, int32_t now_ms);
void laptop_fade_front_update(void* state, int32_t now_ms);
void mobile_caption_update(void* state, int32_t now_ms);
void computing_caption_update(void* state, int32_t now_ms);
void white_caption_update(void* state, int32_t now_ms);
void strip_head_update(void* state, int32_t now_ms);
void strip_tail_update(void* state, int32_t now_ms);
void letterbox_bands_update(void* state, int32_t now_ms);
void beat_flash_update(void* state, int32_t now_ms);
