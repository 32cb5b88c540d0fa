// Cues 18 to 21: photograph sequences stepped in 62 ms slots through a
// random blur, with the eye flashing in from the back buffer, a faint design
// overlay, edge smears, gliding words, mixer and equipment pictures and
// flashes on a fixed list of beats. One design, four constant rows.
#pragma once

#include <cstdint>

#include "show/scenes/scene.h"

struct SequenceRow;

// The rows of cues 18, 19, 20 and 21.
extern const SequenceRow stairs_sequence;
extern const SequenceRow basement_sequence;
extern const SequenceRow elevator_sequence;
extern const SequenceRow photo_series_sequence;

struct SequenceScene : Scene {
  const SequenceRow* row = nullptr;
  // The last beat of the beat list the flash has reached; only moves forward.
  int32_t beat_hit = 0;
};

void build_blurred_sequence_scene(SceneBuilder<SequenceScene>& b, const SequenceRow& row);
