// Cue 17: a continuous zoom into an eye over a fading slide show, flickering
// design prints, trembling words and an interlaced black-out.
#pragma once

#include "show/scenes/scene.h"

void build_eye_zoom_scene(SceneBuilder<>& b);
