// Cue 5: a cut-out train slides over a train photograph; captions fade in,
// three words pop up in turn, the screen is stretched sideways, and the
// last 750 ms black it out in three steps. A white flash marks each beat.
#pragma once

#include <cstdint>

void train_slide_update(void* state, int32_t now_ms);
void train_smear_update(void* state, int32_t now_ms);
void train_caption_fade_update(void* state, int32_t now_ms);
void train_caption_slow_fade_update(void* state, int32_t now_ms);
// One word of the cascade, visible from scene time Start to 3999.
template <int32_t Start>
void word_cascade_update(void* state, int32_t now_ms);
extern template void word_cascade_update<3250>(void*, int32_t);
extern template void word_cascade_update<3500>(void*, int32_t);
extern template void word_cascade_update<3750>(void*, int32_t);
void late_caption_update(void* state, int32_t now_ms);
void top_blackout_update(void* state, int32_t now_ms);
void bottom_blackout_update(void* state, int32_t now_ms);
void train_flash_update(void* state, int32_t now_ms);
