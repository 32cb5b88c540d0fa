// Cue 22: a wide photograph scrolling and darkening under a water animation,
// a glow, jittering captions and corner thumbnails, ending in a random blur.
#pragma once

#include <cstdint>

void panorama_scroll_update(void* state, int32_t now_ms);
void water_fade_in_update(void* state, int32_t now_ms);
void water_fade_out_update(void* state, int32_t now_ms);
void beer_glow_update(void* state, int32_t now_ms);
void caption_jitter_update(void* state, int32_t now_ms);
void thumbnail_first_update(void* state, int32_t now_ms);
void thumbnail_second_update(void* state, int32_t now_ms);
void thumbnail_third_update(void* state, int32_t now_ms);
void panorama_blur_update(void* state, int32_t now_ms);
void panorama_flash_update(void* state, int32_t now_ms);
