// The soundtrack's instruments. Each voice adds one note (or one drum hit)
// into a stereo buffer, starting exactly at sample `start`; the first sample
// of every voice is already audible, so a hit placed at round(T * 44.1) is
// heard from that sample on. Gains are linear; 1.0 is a full-scale hit.
#pragma once

#include <cstdint>
#include <span>

#include "music_dsp.h"
#include "music_random.h"

namespace music {

// Sine body with a falling pitch and a short click; the body dies away with
// time constant `body_seconds`.
void play_kick(StereoBuffer& out, int64_t start, float gain, float body_seconds = 0.16f);

// Two damped tones and a burst of high-passed noise.
void play_snare(StereoBuffer& out, int64_t start, float gain, float pan, Random& rng);

// Metallic square cluster plus noise, closed (short) or open (ringing).
void play_hat(StereoBuffer& out, int64_t start, float gain, bool open, float pan, Random& rng);

// Wide decorrelated cymbal wash that rings for about `seconds`.
void play_crash(StereoBuffer& out, int64_t start, float gain, float seconds, Random& rng);

// Saw and sub-sine through a resonant low-pass with a plucked filter envelope.
void play_bass(StereoBuffer& out, int64_t start, int64_t length, int note, float gain);

// Two detuned saws, slow attack and release, darker for low `brightness` (0..1).
void play_pad(StereoBuffer& out, int64_t start, int64_t length, int note, float gain,
              float brightness, float pan);

// Pulse-and-saw lead with delayed vibrato.
void play_lead(StereoBuffer& out, int64_t start, int64_t length, int note, float gain);

// Short plucked saw for arpeggios.
void play_pluck(StereoBuffer& out, int64_t start, int note, float gain, float pan);

// A chord struck at once, bright at the start and closing down over `seconds`.
void play_stab(StereoBuffer& out, int64_t start, std::span<const int> notes, float gain,
               float seconds);

// Noise swept upwards from `start` to `end`, swelling, cut off at `end`.
void play_riser(StereoBuffer& out, int64_t start, int64_t end, float gain, Random& rng);

}  // namespace music
