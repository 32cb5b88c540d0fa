// Cue 24: the end picture fades in from white, then darkens while its lower
// part melts downward.
#pragma once

#include "show/scenes/scene.h"

void build_end_screen_scene(SceneBuilder<>& b);
