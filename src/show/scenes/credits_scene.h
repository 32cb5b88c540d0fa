// Cue 23: pulsing blurred backgrounds with credit pictures sliding together
// in pairs from both sides, and a white flash every 4000 ms.
#pragma once

#include "show/scenes/scene.h"

void build_credits_scene(SceneBuilder<>& b);
