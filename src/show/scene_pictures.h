// Which pictures each scene of the show reaches for, found by running the
// show: a page that loads the pictures over a network fetches them in show
// order and plays a scene as soon as its own pictures are there.
//
// A scene reaches its pictures only through Show::picture, while it is built
// (at its cue) and while its frames are drawn, and every frame of it reads
// only those (what earlier scenes left on the screen was drawn before).
#pragma once

#include <cstdint>
#include <vector>

#include "image/image_store.h"

// For each cue of the show's script (cue_table, the end included), the store
// indices of the pictures its scene reaches for, ascending. The show runs
// from its start over `pictures` with a frame every `step_ms` ms (shorter
// than any of its picture slots: the shortest lasts 62 ms); the store is
// handed back as it was.
std::vector<std::vector<int32_t>> pictures_by_scene(ImageStore& pictures, int32_t step_ms = 4);
