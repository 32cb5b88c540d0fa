// Cue 0: the event's name, a colon, the year and the city slide and fade in
// over a brightened band between two light lines, composed in the back
// buffer and carried to the screen through a vertical blur. After 7375 ms
// the words jump together by a random offset and the blur turns random.
#pragma once

#include <cstdint>

// Row offset drawn by event_name_update in each frame after 7375 ms and
// read by the colon, year and city in the same frame. Never reset.
extern int32_t opening_jitter;

void event_name_update(void* state, int32_t now_ms);
void colon_update(void* state, int32_t now_ms);
void year_update(void* state, int32_t now_ms);
void city_update(void* state, int32_t now_ms);
void upper_line_update(void* state, int32_t now_ms);
void lower_line_update(void* state, int32_t now_ms);
void band_update(void* state, int32_t now_ms);
void opening_blur_update(void* state, int32_t now_ms);
