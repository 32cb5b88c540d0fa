// Cue 1: a shipyard photograph fades in from black and pans behind a
// closing frame of dimmed columns; the group's name flickers in; a symbol
// fades in; a horizontal blur turns random in the last two seconds.
#pragma once

#include <cstdint>

#include "show/scenes/scene.h"

// The shared fade: t / 32 up to 6000 ms, then falling one step every 16 ms.
uint8_t presents_fade(int32_t t);

void build_presents_scene(SceneBuilder<>& b);
