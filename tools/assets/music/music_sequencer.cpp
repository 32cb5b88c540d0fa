#include "music_sequencer.h"

#include <algorithm>
#include <array>

#include "music_drumkit.h"
#include "music_random.h"
#include "music_score.h"
#include "music_voices.h"

namespace music {
namespace {

constexpr uint64_t kSeed = 0x5A7A2026C0FFEEull;

// Mix levels of the instruments at full section level.
constexpr float kKickGain = 0.6f;
constexpr float kSnareGain = 0.5f;
constexpr float kHatGain = 0.2f;
constexpr float kOpenHatGain = 0.09f;
constexpr float kBassGain = 0.22f;
constexpr float kPadGain = 0.10f;
constexpr float kLeadGain = 0.13f;
constexpr float kPluckGain = 0.11f;
constexpr float kRiserGain = 0.10f;
// How far the band dips under each kick of the groove.
constexpr float kPump = 0.3f;

// Steps at the end of a section taken over by its ending.
constexpr int kFillSteps = 8;
constexpr int kRollSteps = 16;
constexpr int kRiserSteps = 32;
constexpr int kBreakSteps = 6;  // 750 ms

float velocity(char c) {
  switch (c) {
    case 'o': return 0.45f;
    case 'x': return 0.75f;
    case 'X': return 1.0f;
    case 'r': return 0.6f;
    default: return 0.0f;
  }
}

// One section placed on the show's timeline.
struct Passage {
  const Section& section;
  int64_t first_tick;
  int steps;                      // length in sixteenths
  std::vector<int32_t> accents;   // section-relative ms

  int64_t sample_at_step(int64_t step) const { return tick_to_sample(first_tick + step * kTicksPerStep); }
  int64_t sample_at_tick(int64_t tick) const { return tick_to_sample(first_tick + tick); }
  int64_t end_sample() const { return sample_at_step(steps); }

  const Chord& chord_at(int step) const {
    const int bar = step / kStepsPerBar;
    return chord(section.chords[static_cast<size_t>((bar / section.bars_per_chord) % section.chord_count)]);
  }

  bool accent_on_step(int step) const {
    for (int32_t a : accents)
      if (ms_to_tick(a) == static_cast<int64_t>(step) * kTicksPerStep) return true;
    return false;
  }

  int ending_steps() const {
    switch (section.ending) {
      case Ending::Fill: return std::min(kFillSteps, steps);
      case Ending::Roll: return std::min(kRollSteps, steps);
      case Ending::Riser: return 1;
      case Ending::Break: return std::min(kBreakSteps, steps);
      case Ending::None: break;
    }
    return 0;
  }
};

float section_scale(const Section& s) { return 0.55f + 0.45f * s.level; }

void play_groove(Mix& mix, const Passage& p, const DrumKit& kit, Random& rng) {
  const Groove& g = groove(p.section.groove);
  const float scale = section_scale(p.section);
  const int groove_end = p.steps - p.ending_steps();
  for (int step = 0; step < groove_end; ++step) {
    const size_t pos = static_cast<size_t>(step % kStepsPerBar);
    const int64_t at = p.sample_at_step(step);
    const int64_t half = p.sample_at_tick(static_cast<int64_t>(step) * kTicksPerStep + 1);
    const float human = 0.92f + 0.08f * rng.unit();
    // The accent brings its own strike, and the groove leaves the step
    // before it free so that it lands in the clear.
    if (p.accent_on_step(step) || p.accent_on_step(step + 1)) continue;
    if (float v = velocity(g.kick[pos]); v > 0.0f) {
      kit.play(mix.drums, Drum::Kick, at, kKickGain * v * scale);
      mix.duck(at, kPump * v, 0.09f);
    }
    if (float v = velocity(g.snare[pos]); v > 0.0f) {
      kit.play(mix.drums, Drum::Snare, at, kSnareGain * v * scale * human, 0.05f);
      if (g.snare[pos] == 'r') kit.play(mix.drums, Drum::Snare, half, kSnareGain * v * scale * 0.8f, 0.05f);
    }
    if (float v = velocity(g.hat[pos]); v > 0.0f) {
      kit.play(mix.drums, Drum::ClosedHat, at, kHatGain * v * scale * human, 0.3f);
      if (g.hat[pos] == 'r') kit.play(mix.drums, Drum::ClosedHat, half, kHatGain * v * scale * 0.8f, 0.3f);
    }
    if (float v = velocity(g.open_hat[pos]); v > 0.0f)
      kit.play(mix.drums, Drum::OpenHat, at, kOpenHatGain * v * scale, -0.3f);
  }
}

// The hand-over into the next section. The drums stop at least one step
// before the next section, so its first hit lands on a clean slate.
void play_ending(Mix& mix, const Passage& p, const DrumKit& kit, Random& rng) {
  const float scale = section_scale(p.section);
  const int n = p.ending_steps();
  const int from = p.steps - n;
  switch (p.section.ending) {
    case Ending::None:
      break;
    case Ending::Fill:
      kit.play(mix.drums, Drum::Kick, p.sample_at_step(from), kKickGain * scale);
      for (int i = 0; i + 1 < n; ++i) {
        const float v = 0.45f + 0.55f * static_cast<float>(i) / static_cast<float>(n);
        kit.play(mix.drums, Drum::Snare, p.sample_at_step(from + i), kSnareGain * v * scale, (i % 2) ? 0.25f : -0.25f);
      }
      break;
    case Ending::Roll: {
      // Eighths, then sixteenths, then thirty-seconds, swelling.
      for (int tick = 0; tick + kTicksPerStep < n * kTicksPerStep; ++tick) {
        const int spacing = tick < n ? 4 : (tick < n + n / 2 ? 2 : 1);
        if (tick % spacing != 0) continue;
        const float x = static_cast<float>(tick) / static_cast<float>(n * kTicksPerStep);
        kit.play(mix.drums, Drum::Snare, p.sample_at_tick(static_cast<int64_t>(from) * kTicksPerStep + tick),
                   kSnareGain * (0.2f + 0.6f * x) * scale, 0.0f);
      }
      play_riser(mix.drums, p.sample_at_step(from), p.sample_at_step(p.steps - 1), kRiserGain * scale, rng);
      break;
    }
    case Ending::Riser: {
      const int start = std::max(0, p.steps - kRiserSteps);
      play_riser(mix.drums, p.sample_at_step(start), p.sample_at_step(p.steps - 1), kRiserGain * scale, rng);
      break;
    }
    case Ending::Break:
      mix.mute(p.sample_at_step(from), p.end_sample(), 0.08f);
      play_riser(mix.drums, p.sample_at_step(from), p.sample_at_step(p.steps - 1), kRiserGain * 1.5f, rng);
      break;
  }
}

void play_harmony(Mix& mix, const Passage& p) {
  const Section& s = p.section;
  const float scale = section_scale(s);
  // Pads: one held chord per chord change.
  int step = 0;
  while (step < p.steps) {
    const int bar = step / kStepsPerBar;
    const int next_bar = (bar / s.bars_per_chord + 1) * s.bars_per_chord;
    const int until = std::min(p.steps, next_bar * kStepsPerBar);
    const Chord& c = p.chord_at(step);
    const int64_t at = p.sample_at_step(step);
    const int64_t length = p.sample_at_step(until) - at;
    for (size_t k = 0; k < c.pad.size(); ++k) {
      const float pan = -0.5f + static_cast<float>(k) / 3.0f;
      play_pad(mix.pads, at, length, c.pad[k], kPadGain * scale, s.brightness, pan);
    }
    step = until;
  }

  // Bass line.
  const std::string_view line = bass_line(s.bass);
  for (step = 0; step < p.steps; ++step) {
    const char c = line[static_cast<size_t>(step % kStepsPerBar)];
    if (c != 'R' && c != 'O' && c != 'F') continue;
    int until = step + 1;
    while (until < p.steps && until % kStepsPerBar != 0 && line[static_cast<size_t>(until % kStepsPerBar)] == '-')
      ++until;
    const int note = p.chord_at(step).bass + (c == 'O' ? 12 : c == 'F' ? 7 : 0);
    const int64_t at = p.sample_at_step(step);
    const int64_t length = p.sample_at_step(until) - at - ms_to_sample(10);
    play_bass(mix.bass, at, length, note, kBassGain * scale);
  }

  // Arpeggio over the chord, an octave above the pads.
  if (s.arpeggio) {
    static constexpr std::array<size_t, 8> kOrder = {0, 1, 2, 3, 2, 1, 3, 2};
    for (step = 0; step < p.steps; ++step) {
      const Chord& c = p.chord_at(step);
      const int note = c.pad[kOrder[static_cast<size_t>(step % 8)]] + 12;
      play_pluck(mix.lead, p.sample_at_step(step), note, kPluckGain * scale, (step % 2) ? 0.45f : -0.45f);
    }
  }
}

void play_melody(Mix& mix, const Passage& p) {
  const auto notes = melody(p.section.melody);
  if (notes.empty()) return;
  const float scale = section_scale(p.section);
  const int offset = p.section.melody_bar * kStepsPerBar;
  for (int step = 0; step < p.steps; ++step) {
    const int position = (step + offset) % kMelodySteps;
    for (const MelodyNote& n : notes) {
      if (n.step != position) continue;
      const int until = std::min(p.steps, step + n.length);
      const int64_t at = p.sample_at_step(step);
      const int64_t length = p.sample_at_step(until) - at - ms_to_sample(15);
      play_lead(mix.lead, at, length, n.note, kLeadGain * scale);
    }
  }
}

// The strokes that land on the scenes' flashes: a kick, a chord stab and,
// on the main accents, a cymbal; the band ducks under them.
void play_accents(Mix& mix, const Passage& p, const DrumKit& kit) {
  const Section& s = p.section;
  const bool last = s.accents == AccentRule::Final;
  const float scale = last ? 1.0f : 0.85f + 0.15f * s.level;
  for (int32_t a : p.accents) {
    const int64_t at = p.sample_at_tick(ms_to_tick(a));
    const int step = static_cast<int>(ms_to_tick(a) / kTicksPerStep);
    const Chord& c = p.chord_at(step);
    const std::array<int, 6> stab = {c.bass + 12, c.bass + 24, c.pad[0], c.pad[1], c.pad[2], c.pad[3]};
    // In the hit lists of the blurred sequences only the first hit is a full
    // one; the rest are half-strength flashes and get lighter strokes.
    const bool main = s.accents != AccentRule::BeatList || a == 0;
    kit.play(mix.hits, main ? Drum::Kick : Drum::TightKick, at, 1.0f * scale);
    if (last) {
      kit.play(mix.hits, Drum::LongCrash, at, 0.30f);
      play_stab(mix.hits, at, stab, 0.16f, 1.4f);
      play_bass(mix.hits, at, ms_to_sample(3000), c.bass, kBassGain);
      mix.duck(at, 0.5f, 2.0f);
      mix.fade_out(at + ms_to_sample(2000), mix.frames());
    } else if (main) {
      kit.play(mix.hits, Drum::Crash, at, 0.22f * scale);
      play_stab(mix.hits, at, stab, 0.12f * scale, 0.35f);
      mix.duck(at, 0.6f, 0.15f);
    } else {
      kit.play(mix.hits, Drum::Snare, at, 0.8f * scale);
      play_stab(mix.hits, at, stab, 0.12f * scale, 0.15f);
      mix.duck(at, 0.5f, 0.08f);
    }
  }
}

}  // namespace

void perform(Mix& mix) {
  Random rng(kSeed);
  const DrumKit kit(rng);
  const auto all = sections();
  for (size_t i = 0; i < all.size(); ++i) {
    const Section& s = all[i];
    const int32_t end_ms = i + 1 < all.size() ? all[i + 1].time_ms : kEndMs;
    const int64_t first_tick = ms_to_tick(s.time_ms);
    const int steps = static_cast<int>((ms_to_tick(end_ms) - first_tick) / kTicksPerStep);
    const Passage passage{s, first_tick, steps, section_accents(s, end_ms - s.time_ms)};
    play_groove(mix, passage, kit, rng);
    play_ending(mix, passage, kit, rng);
    if (s.level > 0.0f) {
      play_harmony(mix, passage);
      play_melody(mix, passage);
    }
    play_accents(mix, passage, kit);
  }
}

std::vector<int16_t> render_soundtrack() {
  Mix mix(ms_to_sample(kEndMs));
  perform(mix);
  return master(mix);
}

}  // namespace music
