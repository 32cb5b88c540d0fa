// Building blocks of the synthesizer voices: the stereo sample buffer they
// play into, band-limited oscillators, filters and envelopes.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "music_timing.h"

namespace music {

constexpr float kPi = 3.14159265358979f;

// Two channels of float samples at kSampleRate; voices add into it.
struct StereoBuffer {
  explicit StereoBuffer(int64_t frames = 0)
      : left(static_cast<size_t>(frames), 0.0f), right(static_cast<size_t>(frames), 0.0f) {}

  int64_t frames() const { return static_cast<int64_t>(left.size()); }

  // Number of samples of a voice of `length` samples starting at `start` that
  // fall inside the buffer (0 when it starts outside).
  int64_t room(int64_t start, int64_t length) const {
    if (start < 0 || start >= frames()) return 0;
    return std::min(length, frames() - start);
  }

  void add(int64_t i, float l, float r) {
    left[static_cast<size_t>(i)] += l;
    right[static_cast<size_t>(i)] += r;
  }

  std::vector<float> left;
  std::vector<float> right;
};

inline float midi_to_hz(float note) { return 440.0f * std::exp2((note - 69.0f) / 12.0f); }

// Constant-power panning, pan in [-1 (left), 1 (right)].
struct Pan {
  explicit Pan(float pan) {
    const float angle = (pan + 1.0f) * 0.25f * kPi;
    left = std::cos(angle);
    right = std::sin(angle);
  }
  float left;
  float right;
};

// Exponential decay to 1/e in `seconds`, one multiplication per sample.
struct Decay {
  explicit Decay(float seconds, float start = 1.0f)
      : value(start), factor(std::exp(-1.0f / (seconds * kSampleRate))) {}
  float next() {
    const float v = value;
    value *= factor;
    return v;
  }
  float value;
  float factor;
};

// Correction that removes most of the aliasing of a hard step (PolyBLEP).
inline float poly_blep(float t, float dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0f;
  }
  if (t > 1.0f - dt) {
    t = (t - 1.0f) / dt;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}

// Band-limited sawtooth and pulse from one phase accumulator.
class Oscillator {
 public:
  explicit Oscillator(float hz, float phase = 0.0f) : phase_(phase) { set_hz(hz); }
  void set_hz(float hz) { dt_ = std::min(hz / kSampleRate, 0.45f); }

  float saw() {
    const float v = 2.0f * phase_ - 1.0f - poly_blep(phase_, dt_);
    advance();
    return v;
  }

  float pulse(float width) {
    float v = phase_ < width ? 1.0f : -1.0f;
    v += poly_blep(phase_, dt_);
    float shifted = phase_ + (1.0f - width);
    if (shifted >= 1.0f) shifted -= 1.0f;
    v -= poly_blep(shifted, dt_);
    advance();
    // Centred on zero: a narrow pulse would otherwise carry a DC offset.
    return v - (2.0f * width - 1.0f);
  }

  float sine() {
    const float v = std::sin(2.0f * kPi * phase_);
    advance();
    return v;
  }

 private:
  void advance() {
    phase_ += dt_;
    if (phase_ >= 1.0f) phase_ -= 1.0f;
  }
  float phase_;
  float dt_ = 0.0f;
};

// State-variable filter (trapezoidal integration), stable under fast cutoff
// changes; low, band and high outputs of one input sample.
class Svf {
 public:
  Svf(float cutoff_hz, float resonance) { set(cutoff_hz, resonance); }

  void set(float cutoff_hz, float resonance) {
    const float fc = std::clamp(cutoff_hz, 20.0f, 0.45f * kSampleRate);
    g_ = std::tan(kPi * fc / kSampleRate);
    k_ = 2.0f - 2.0f * std::clamp(resonance, 0.0f, 0.95f);
    a1_ = 1.0f / (1.0f + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
  }

  void process(float in) {
    const float v3 = in - ic2_;
    const float v1 = a1_ * ic1_ + a2_ * v3;
    const float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0f * v1 - ic1_;
    ic2_ = 2.0f * v2 - ic2_;
    low = v2;
    band = v1;
    high = in - k_ * v1 - v2;
  }

  float low = 0.0f;
  float band = 0.0f;
  float high = 0.0f;

 private:
  float g_ = 0.0f, k_ = 2.0f, a1_ = 0.0f, a2_ = 0.0f, a3_ = 0.0f;
  float ic1_ = 0.0f, ic2_ = 0.0f;
};

// One-pole high-pass, for taking the body out of noise and metal.
class HighPass {
 public:
  explicit HighPass(float cutoff_hz) : a_(std::exp(-2.0f * kPi * cutoff_hz / kSampleRate)) {}
  float process(float in) {
    low_ = in + a_ * (low_ - in);
    return in - low_;
  }

 private:
  float a_;
  float low_ = 0.0f;
};

// Linear fade-in over `attack` samples and fade-out over the last `release`
// samples of a note `length` samples long.
inline float attack_release(int64_t i, int64_t length, int64_t attack, int64_t release) {
  float g = 1.0f;
  if (i < attack) g = static_cast<float>(i + 1) / static_cast<float>(attack);
  const int64_t left = length - i;
  if (left < release) g *= static_cast<float>(left) / static_cast<float>(release);
  return g;
}

}  // namespace music
