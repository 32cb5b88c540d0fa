// Cue 2: a white flash over a drifting factory photograph; four word
// pictures ease in from the edges; after seven seconds the photograph
// darkens, a faint additive copy jitters and the vertical blur turns random.
#pragma once

#include "show/scenes/scene.h"

void build_design_scene(SceneBuilder<>& b);
