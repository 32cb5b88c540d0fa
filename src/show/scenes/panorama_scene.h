// Cue 22: a wide photograph scrolling and darkening under a water animation,
// a glow, jittering captions and corner thumbnails, ending in a random blur.
#pragma once

#include "show/scenes/scene.h"

void build_panorama_scene(SceneBuilder<>& b);
