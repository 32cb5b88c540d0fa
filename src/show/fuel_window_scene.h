// Cue 16: flickering, pulsing blurred fuel photographs behind a sharp window
// that glides between three stops; drifting words, a strip loop and flashes.
#pragma once

#include <cstdint>

// The window's left column and its right line's column at scene time t.
int32_t fuel_window_left(int32_t t);
int32_t fuel_window_right_line(int32_t t);

void fuel_blur_update(void* state, int32_t now_ms);
void window_mask_update(void* state, int32_t now_ms);
void window_photo_update(void* state, int32_t now_ms);
void word_a_early_update(void* state, int32_t now_ms);
void word_a_late_update(void* state, int32_t now_ms);
void word_b_early_update(void* state, int32_t now_ms);
void word_b_late_update(void* state, int32_t now_ms);
void loop_strip_head_update(void* state, int32_t now_ms);
void loop_strip_tail_update(void* state, int32_t now_ms);
void window_right_line_update(void* state, int32_t now_ms);
void window_left_line_update(void* state, int32_t now_ms);
void fuel_flash_update(void* state, int32_t now_ms);
