// Cue 5: a cut-out train slides over a train photograph; captions fade in,
// three words pop up in turn, the screen is stretched sideways, and the
// last 750 ms black it out in three steps. A white flash marks each beat.
#pragma once

#include "show/scenes/scene.h"

void build_train_scene(SceneBuilder<>& b);
