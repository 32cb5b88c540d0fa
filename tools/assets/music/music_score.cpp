#include "music_score.h"

#include "show/show_length.h"

namespace music {
namespace {

using C = ChordName;
using G = GrooveName;
using B = BassName;
using M = MelodyName;
using A = AccentRule;
using E = Ending;

// clang-format off
constexpr Section kSections[] = {
  // time    groove      bass        chords                 n  bars melody   bar arp    accents       ending    level brightness
  {      0, G::Sparse,   B::None,    {C::Am, C::F},         2, 2, M::None,  0, false, A::Start,     E::Riser, 0.45f, 0.15f},  // event opening
  {   8000, G::Pulse,    B::Pulse,   {C::Am, C::F, C::C, C::G}, 4, 1, M::None, 0, false, A::Start,  E::Fill,  0.60f, 0.30f},  // presents
  {  16000, G::Hats,     B::Sustain, {C::Am, C::F, C::C, C::G}, 4, 1, M::Calm, 0, false, A::Start,  E::Roll,  0.55f, 0.35f},  // design
  {  23500, G::Drive,    B::Drive,   {C::Am, C::F, C::C, C::G}, 4, 1, M::Hook, 0, false, A::Start,  E::Fill,  0.85f, 0.60f},  // title card
  {  32000, G::Drive,    B::Drive,   {C::Am, C::Dm, C::F, C::E}, 4, 1, M::None, 0, true, A::Every2000, E::Fill, 0.90f, 0.70f},  // traffic
  {  40000, G::Drive,    B::Drive,   {C::Am, C::Dm, C::F, C::E}, 4, 1, M::Climb, 0, true, A::Every2000, E::Break, 0.95f, 0.75f}, // train
  {  48000, G::Halftime, B::Half,    {C::Am, C::F},         2, 1, M::Calm,  0, false, A::Start,     E::None,  0.70f, 0.45f},  // keyword photos
  {  52000, G::Halftime, B::Half,    {C::C, C::G},          2, 1, M::Calm,  2, false, A::Start,     E::None,  0.70f, 0.45f},
  {  56000, G::Halftime, B::Half,    {C::Am, C::F},         2, 1, M::Calm,  0, false, A::Start,     E::None,  0.70f, 0.50f},
  {  60000, G::Halftime, B::Half,    {C::F, C::E},          2, 1, M::Climb, 2, false, A::Start,     E::Riser, 0.72f, 0.50f},
  {  64000, G::Broken,   B::Walk,    {C::Am, C::F, C::C, C::G}, 4, 1, M::Hook, 0, true, A::Every4000, E::Fill, 0.90f, 0.70f},  // mobile computing
  {  72000, G::Hats,     B::Sustain, {C::Am, C::F, C::C, C::G}, 4, 1, M::Calm, 0, false, A::Start,  E::Roll,  0.60f, 0.40f},  // global coverage
  {  80000, G::Drive,    B::Half,    {C::Am, C::F},         2, 1, M::Hook,  0, false, A::Start,     E::None,  0.80f, 0.55f},  // keyword photos
  {  84000, G::Drive,    B::Half,    {C::C, C::G},          2, 1, M::Hook,  2, false, A::Start,     E::None,  0.80f, 0.55f},
  {  88000, G::Drive,    B::Half,    {C::Am, C::F},         2, 1, M::Hook,  0, false, A::Start,     E::None,  0.82f, 0.60f},
  {  92000, G::Drive,    B::Drive,   {C::F, C::E},          2, 1, M::Climb, 2, true,  A::Start,     E::Fill,  0.85f, 0.60f},
  {  96000, G::Drive,    B::Drive,   {C::Am, C::Dm, C::F, C::E}, 4, 1, M::Climb, 0, true, A::Every4000, E::Fill, 0.95f, 0.80f}, // fuel window
  { 104000, G::Hats,     B::Sustain, {C::Am, C::F, C::C, C::G}, 4, 1, M::Calm, 0, false, A::Start,  E::Roll,  0.55f, 0.35f},  // eye zoom
  { 112000, G::Stutter,  B::Drive,   {C::Am, C::Dm, C::F, C::E}, 4, 1, M::None, 0, true, A::BeatList, E::None, 1.00f, 0.80f},  // blurred sequences
  { 120000, G::Stutter,  B::Drive,   {C::Am, C::Dm, C::F, C::E}, 4, 1, M::Climb, 0, true, A::BeatList, E::None, 1.00f, 0.85f},
  { 128000, G::Stutter,  B::Drive,   {C::Am, C::Dm, C::F, C::E}, 4, 1, M::None, 0, true, A::BeatList, E::None, 1.00f, 0.85f},
  { 136000, G::Stutter,  B::Drive,   {C::Am, C::Dm, C::F, C::E}, 4, 1, M::Climb, 0, true, A::BeatList, E::None, 1.00f, 0.90f},
  { 144000, G::Sparse,   B::Sustain, {C::Am, C::F, C::C, C::G}, 4, 1, M::Calm, 0, false, A::Start,  E::Riser, 0.50f, 0.30f},  // panorama
  { 160000, G::Broken,   B::Walk,    {C::Am, C::F, C::C, C::G}, 4, 1, M::Hook, 0, true, A::Every4000, E::Fill, 0.80f, 0.60f},  // credits
  { 176000, G::None,     B::Sustain, {C::F, C::E, C::Am, C::Am}, 4, 1, M::None, 0, false, A::Start, E::Roll,  0.50f, 0.30f},  // end screen
  { show_length_ms, G::None,     B::None,    {C::Am},               1, 1, M::None,  0, false, A::Final,     E::None,  0.00f, 0.30f},  // final hit
};

constexpr Chord kChords[] = {
  {33, {57, 60, 64, 71}},  // Am (add9)
  {29, {53, 57, 60, 64}},  // Fmaj7
  {36, {55, 60, 64, 67}},  // C
  {31, {55, 59, 62, 67}},  // G
  {38, {53, 57, 62, 65}},  // Dm
  {28, {56, 59, 64, 68}},  // E
};

constexpr Groove kGrooves[] = {
  // kick                snare               hat                 open hat
  {"................", "................", "................", "................"},  // None
  {"X...............", "................", "..o...o...o...o.", "................"},  // Sparse
  {"x...x...x...x...", "................", "..x...x...x...x.", "................"},  // Pulse
  {"................", "................", "o.x.o.x.o.x.o.xo", "................"},  // Hats
  {"X.........x.....", "........X.......", "x.x.x.x.x.x.x.x.", "..............x."},  // Halftime
  {"X...x...x...x...", "....X.......X...", "xoxoxoxoxoxoxoxo", "..x...x...x...x."},  // Drive
  {"X.....x...x.....", "....X..o....X..o", "x.xox.xox.xox.xr", "......x........."},  // Broken
  {"X...x...x...x.x.", "....X.......X..r", "xrxoxrxoxrxoxrxr", "..x.......x....."},  // Stutter
};

constexpr std::string_view kBassLines[] = {
  "................",  // None
  "R---------------",  // Sustain
  "..R...R...R...R.",  // Pulse
  "R-------..R-O---",  // Half
  "R.RR.RR.R.RR.ROF",  // Drive
  "R--R--O-R--R--F-",  // Walk
};

// Over Am | F | C | G.
constexpr MelodyNote kCalm[] = {
  {0, 8, 76}, {8, 4, 74}, {12, 4, 72},
  {16, 12, 72}, {28, 4, 69},
  {32, 8, 76}, {40, 8, 79},
  {48, 12, 74}, {60, 4, 71},
};

// Over Am | F | C | G.
constexpr MelodyNote kHook[] = {
  {0, 3, 76}, {3, 3, 72}, {6, 2, 69}, {8, 2, 71}, {10, 4, 72}, {14, 2, 76},
  {16, 3, 77}, {19, 3, 76}, {22, 2, 72}, {24, 6, 69},
  {32, 3, 79}, {35, 3, 76}, {38, 2, 72}, {40, 2, 74}, {42, 4, 76}, {46, 2, 79},
  {48, 6, 74}, {54, 2, 71}, {56, 4, 67}, {60, 2, 71}, {62, 2, 74},
};

// Over Am | Dm | F | E.
constexpr MelodyNote kClimb[] = {
  {0, 2, 69}, {2, 2, 64}, {4, 2, 69}, {6, 4, 72}, {10, 2, 71}, {12, 4, 69},
  {16, 2, 65}, {18, 2, 69}, {20, 4, 74}, {24, 2, 72}, {26, 2, 69}, {28, 4, 65},
  {32, 2, 72}, {34, 2, 69}, {36, 2, 65}, {38, 4, 69}, {42, 2, 72}, {44, 4, 76},
  {48, 4, 71}, {52, 4, 68}, {56, 4, 64}, {60, 2, 59}, {62, 2, 56},
};

constexpr int32_t kBeatList[] = {0, 2750, 3000, 3375, 3625, 3875, 6750, 7000, 7375, 7625, 7875};
// clang-format on

}  // namespace

std::span<const Section> sections() { return kSections; }

const Chord& chord(ChordName name) { return kChords[static_cast<int>(name)]; }

const Groove& groove(GrooveName name) { return kGrooves[static_cast<int>(name)]; }

std::string_view bass_line(BassName name) { return kBassLines[static_cast<int>(name)]; }

std::span<const MelodyNote> melody(MelodyName name) {
  switch (name) {
    case MelodyName::Calm: return kCalm;
    case MelodyName::Hook: return kHook;
    case MelodyName::Climb: return kClimb;
    case MelodyName::None: break;
  }
  return {};
}

std::span<const int32_t> beat_list() { return kBeatList; }

std::vector<int32_t> section_accents(const Section& section, int32_t length_ms) {
  std::vector<int32_t> times;
  switch (section.accents) {
    case AccentRule::Start:
    case AccentRule::Final:
      times.push_back(0);
      break;
    case AccentRule::Every2000:
    case AccentRule::Every4000: {
      const int32_t period = section.accents == AccentRule::Every2000 ? 2000 : 4000;
      for (int32_t t = 0; t < length_ms; t += period) times.push_back(t);
      break;
    }
    case AccentRule::BeatList:
      for (int32_t t : kBeatList)
        if (t < length_ms) times.push_back(t);
      break;
  }
  return times;
}

std::vector<int32_t> accent_times() {
  std::vector<int32_t> times;
  const auto all = sections();
  for (size_t i = 0; i < all.size(); ++i) {
    const int32_t end = i + 1 < all.size() ? all[i + 1].time_ms : kEndMs;
    for (int32_t t : section_accents(all[i], end - all[i].time_ms)) times.push_back(all[i].time_ms + t);
  }
  return times;
}

}  // namespace music
