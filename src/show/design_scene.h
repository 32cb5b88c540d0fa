// Cue 2: a white flash over a drifting factory photograph; four word
// pictures ease in from the edges; after seven seconds the photograph
// darkens, a faint additive copy jitters and the vertical blur turns random.
#pragma once

#include <cstdint>

void factory_photo_update(void* state, int32_t now_ms);
void design_rise_update(void* state, int32_t now_ms);
void design_drop_update(void* state, int32_t now_ms);
void crossplatform_slide_update(void* state, int32_t now_ms);
void demo_slide_update(void* state, int32_t now_ms);
void factory_ghost_update(void* state, int32_t now_ms);
void design_blur_update(void* state, int32_t now_ms);
void design_flash_update(void* state, int32_t now_ms);
