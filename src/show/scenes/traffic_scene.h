// Cue 4: cuts between eight traffic photographs in two four-second halves,
// sideways stretching by a column smear, word pictures and beat flashes,
// all drawn straight onto the screen image.
#pragma once

#include <cstdint>

#include "show/scenes/scene.h"

// Store index of the photograph shown at scene time t (0 .. 7999).
int32_t traffic_photo_at(int32_t t);

void build_traffic_scene(SceneBuilder<>& b);
