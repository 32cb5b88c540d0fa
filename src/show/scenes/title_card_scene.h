// Cue 3: a picture blinks in the back buffer, the view zooms into its
// centre, a black bar opens in the middle of the screen and the title grows
// out of it, then fades, blinks and dims.
#pragma once

#include <cstdint>

#include "show/scenes/scene.h"

// The title's opacity once it stands at full size (scene time t > 999).
uint8_t title_opacity(int32_t t);

void build_title_card_scene(SceneBuilder<>& b);
