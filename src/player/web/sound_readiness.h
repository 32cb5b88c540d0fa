// The web page's rule for where the soundtrack, still arriving, can be
// played: the show time whose sound is here, from a seek to it on, and a
// second before a gap in it already counts as not, since the sound is
// decoded ahead of the picture (the output's queue, one chunk).
#pragma once

#include <cstdint>
#include <vector>

#include "music/soundtrack.h"
#include "show/session.h"

inline constexpr int32_t web_sound_margin_ms = 1000;

// The stretches of show time 0 to `end_ms` whose sound is here, in steps of
// a tenth of a second, each cut short by web_sound_margin_ms unless it
// reaches `end_ms`.
std::vector<ShowStretch> sound_stretches(const Soundtrack& music, int32_t end_ms);

// The show time that both `a` and `b` cover (each sorted, apart).
std::vector<ShowStretch> common_stretches(const std::vector<ShowStretch>& a, const std::vector<ShowStretch>& b);
