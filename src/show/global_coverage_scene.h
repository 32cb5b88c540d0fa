// Cue 11: a blurred picture slides up over a phone photograph and is wiped
// by a row smear; a blinking phone box, darkened side borders, light bars
// and a final fade to white.
#pragma once

#include <cstdint>

void coverage_blur_update(void* state, int32_t now_ms);
void coverage_wipe_update(void* state, int32_t now_ms);
void coverage_slide_update(void* state, int32_t now_ms);
void phonebox_blink_update(void* state, int32_t now_ms);
void side_borders_update(void* state, int32_t now_ms);
void left_bar_update(void* state, int32_t now_ms);
void right_bar_update(void* state, int32_t now_ms);
