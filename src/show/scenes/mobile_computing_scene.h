// Cue 10: laptop photographs cross-fading additively over a motherboard,
// sliding captions, a scrolling strip, letterbox bands and a beat flash.
#pragma once

#include "show/scenes/scene.h"

void build_mobile_computing_scene(SceneBuilder<>& b);
