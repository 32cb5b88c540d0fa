// Cue 0: the event's name, a colon, the year and the city slide and fade in
// over a brightened band between two light lines, composed in the back
// buffer and carried to the screen through a vertical blur. After 7375 ms
// the words jump together by a random offset and the blur turns random.
#pragma once

#include <cstdint>

#include "show/scenes/scene.h"

struct OpeningScene : Scene {
  // Row offset drawn by the event name's update in each frame after 7375 ms
  // and read by the colon, year and city after it in the same frame.
  int32_t jitter = 0;
};

void build_event_opening_scene(SceneBuilder<OpeningScene>& b);
