// Cue 4: cuts between eight traffic photographs in two four-second halves,
// sideways stretching by a column smear, word pictures and beat flashes,
// all drawn straight onto the screen image.
#pragma once

#include <cstdint>

// Store index of the photograph shown at scene time t (0 .. 7999).
int32_t traffic_photo_at(int32_t t);

void traffic_photo_update(void* state, int32_t now_ms);
void traffic_smear_update(void* state, int32_t now_ms);
void traffic_caption_early_update(void* state, int32_t now_ms);
void traffic_caption_late_update(void* state, int32_t now_ms);
void traffic_overlay_update(void* state, int32_t now_ms);
void traffic_flash_update(void* state, int32_t now_ms);
