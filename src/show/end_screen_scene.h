// Cue 24: the end picture fades in from white, then darkens while its lower
// part melts downward.
#pragma once

#include <cstdint>

void end_screen_fade_update(void* state, int32_t now_ms);
void end_screen_melt_update(void* state, int32_t now_ms);
void end_screen_flash_update(void* state, int32_t now_ms);
