// Cue 17: a continuous zoom into an eye over a fading slide show, flickering
// design prints, trembling words and an interlaced black-out.
#pragma once

#include <cstdint>

void eye_zoom_update(void* state, int32_t now_ms);
void eye_shade_update(void* state, int32_t now_ms);
void slide_show_update(void* state, int32_t now_ms);
void eye_blend_update(void* state, int32_t now_ms);
void design_flicker_update(void* state, int32_t now_ms);
void word_what_update(void* state, int32_t now_ms);
void word_about_update(void* state, int32_t now_ms);
void word_the_update(void* state, int32_t now_ms);
void word_problems_update(void* state, int32_t now_ms);
void word_ofthe_update(void* state, int32_t now_ms);
void word_mind_update(void* state, int32_t now_ms);
void interlace_close_update(void* state, int32_t now_ms);
void long_flash_update(void* state, int32_t now_ms);
