// Cues 18 to 21: photograph sequences stepped in 62 ms slots through a
// random blur, with the eye flashing in from the back buffer, a faint design
// overlay, edge smears, gliding words, mixer and equipment pictures and
// flashes on a fixed list of beats. One design, four constant rows.
#pragma once

#include <cstdint>

// Scene index 0..3 for cues 18, 19, 20 and 21.
template <int Scene>
void sequence_blur_update(void* state, int32_t now_ms);
void series_blur_update(void* state, int32_t now_ms);
template <int Scene>
void edge_smear_update(void* state, int32_t now_ms);
template <int Scene, bool Echo>
void word_glide_update(void* state, int32_t now_ms);
template <int Scene>
void mixer_cycle_update(void* state, int32_t now_ms);
void equipment_switch_update(void* state, int32_t now_ms);
template <int Scene>
void beat_list_flash_update(void* state, int32_t now_ms);

// The flash functions' hit indices, one per scene; they start at 0 and only
// move forward for the life of the process.
extern int32_t beat_hit_index[4];
