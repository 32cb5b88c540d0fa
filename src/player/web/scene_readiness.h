// The web page's rule for what can be played while the show's files still
// arrive: a scene reads its pictures only in its own frames, so the show
// time of every scene whose pictures are all here is ready (the end, which
// has none, always is), and a wait for the network ends only once the show
// is ready a few seconds ahead, so that it does not stop again at once.
#pragma once

#include <cstdint>
#include <vector>

#include "show/session.h"

inline constexpr int32_t web_ready_ahead_ms = 3000;

// The stretches of show time of the scenes marked in `scene_ready` (one
// entry per cue; missing entries are not ready), neighbours joined.
std::vector<ShowStretch> ready_stretches(const std::vector<bool>& scene_ready);
