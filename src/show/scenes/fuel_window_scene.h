// Cue 16: flickering, pulsing blurred fuel photographs behind a sharp window
// that glides between three stops; drifting words, a strip loop and flashes.
#pragma once

#include <cstdint>

#include "show/scenes/scene.h"

// The window's left column and its right line's column at scene time t.
int32_t fuel_window_left(int32_t t);
int32_t fuel_window_right_line(int32_t t);

void build_fuel_window_scene(SceneBuilder<>& b);
