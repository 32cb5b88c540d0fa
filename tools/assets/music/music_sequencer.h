// The sequencer: performs the score section by section into the mix's buses
// and renders the finished soundtrack as 16-bit stereo PCM.
#pragma once

#include <cstdint>
#include <vector>

#include "music_mixer.h"

namespace music {

// Plays every section of the score into `mix`, which must hold at least
// ms_to_sample(kEndMs) frames.
void perform(Mix& mix);

// The whole soundtrack, interleaved left/right at 44100 Hz, kEndMs long.
std::vector<int16_t> render_soundtrack();

}  // namespace music
