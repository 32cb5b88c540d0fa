// Cue 11: a blurred picture slides up over a phone photograph and is wiped
// by a row smear; a blinking phone box, darkened side borders, light bars
// and a final fade to white.
#pragma once

#include "show/scenes/scene.h"

void build_global_coverage_scene(SceneBuilder<>& b);
