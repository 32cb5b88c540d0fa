// Cue 23: pulsing blurred backgrounds with credit pictures sliding together
// in pairs from both sides, and a white flash every 4000 ms.
#pragma once

#include <cstdint>

void help_blur_update(void* state, int32_t now_ms);
void credits_blur_update(void* state, int32_t now_ms);
void credits_title_from_left_update(void* state, int32_t now_ms);
void credits_title_from_right_update(void* state, int32_t now_ms);
void credit_pair1_from_left_update(void* state, int32_t now_ms);
void credit_pair1_from_right_update(void* state, int32_t now_ms);
void credit_pair2_from_left_update(void* state, int32_t now_ms);
void credit_pair2_from_right_update(void* state, int32_t now_ms);
void credit_pair3_from_left_update(void* state, int32_t now_ms);
void credit_pair3_from_right_update(void* state, int32_t now_ms);
void credits_flash_update(void* state, int32_t now_ms);
