#include "music_voices.h"

#include <array>
#include <cmath>

namespace music {
namespace {

int64_t samples(float seconds) { return static_cast<int64_t>(seconds * kSampleRate); }

// Soft saturation that keeps small signals unchanged.
float saturate(float x) { return std::tanh(x); }

// Frequencies of the metallic cluster used by hats and cymbals.
constexpr std::array<float, 6> kMetal = {349.0f, 517.5f, 628.3f, 888.6f, 918.0f, 1360.0f};

}  // namespace

void play_kick(StereoBuffer& out, int64_t start, float gain, float body_seconds) {
  const int64_t length = samples(0.6f);
  const int64_t n = out.room(start, length);
  float phase = 0.0f;
  Decay pitch(0.030f);
  Decay body(body_seconds);
  Decay click(0.0015f);
  const int64_t fade = samples(0.05f);
  for (int64_t i = 0; i < n; ++i) {
    const float hz = 46.0f + 120.0f * pitch.next();
    phase += hz / kSampleRate;
    if (phase >= 1.0f) phase -= 1.0f;
    const float t = static_cast<float>(i) / kSampleRate;
    float v = saturate(1.6f * std::sin(2.0f * kPi * phase)) * body.next();
    v += 0.45f * std::cos(2.0f * kPi * 1900.0f * t) * click.next();
    v *= attack_release(i, length, 1, fade) * gain;
    out.add(start + i, v, v);
  }
}

void play_snare(StereoBuffer& out, int64_t start, float gain, float pan, Random& rng) {
  const int64_t length = samples(0.4f);
  const int64_t n = out.room(start, length);
  const Pan p(pan);
  Oscillator low(185.0f, 0.25f);
  Oscillator high(330.0f, 0.25f);
  Decay tone(0.045f);
  Decay noise_env(0.085f);
  HighPass hp(1200.0f);
  Svf colour(5200.0f, 0.2f);
  for (int64_t i = 0; i < n; ++i) {
    const float body = (0.6f * low.sine() + 0.35f * high.sine()) * tone.next();
    colour.process(rng.bipolar());
    const float noise = hp.process(colour.low + 0.3f * colour.high) * noise_env.next();
    const float v = (0.7f * body + 0.9f * noise) * attack_release(i, length, 1, samples(0.03f)) * gain;
    out.add(start + i, v * p.left, v * p.right);
  }
}

void play_hat(StereoBuffer& out, int64_t start, float gain, bool open, float pan, Random& rng) {
  const float ring = open ? 0.22f : 0.028f;
  const int64_t length = samples(open ? 0.7f : 0.14f);
  const int64_t n = out.room(start, length);
  const Pan p(pan);
  std::array<Oscillator, kMetal.size()> metal = {
      Oscillator(kMetal[0] * 2.2f), Oscillator(kMetal[1] * 2.2f), Oscillator(kMetal[2] * 2.2f),
      Oscillator(kMetal[3] * 2.2f), Oscillator(kMetal[4] * 2.2f), Oscillator(kMetal[5] * 2.2f)};
  HighPass hp1(6500.0f);
  HighPass hp2(6500.0f);
  Decay env(ring);
  for (int64_t i = 0; i < n; ++i) {
    float m = 0.0f;
    for (auto& osc : metal) m += osc.pulse(0.5f);
    const float raw = 0.12f * m + 0.8f * rng.bipolar();
    const float v = hp2.process(hp1.process(raw)) * env.next() *
                    attack_release(i, length, 1, samples(0.02f)) * gain;
    out.add(start + i, v * p.left, v * p.right);
  }
}

void play_crash(StereoBuffer& out, int64_t start, float gain, float seconds, Random& rng) {
  const int64_t length = samples(seconds * 3.0f);
  const int64_t n = out.room(start, length);
  std::array<Oscillator, kMetal.size()> metal = {
      Oscillator(kMetal[0] * 1.3f), Oscillator(kMetal[1] * 1.3f), Oscillator(kMetal[2] * 1.3f),
      Oscillator(kMetal[3] * 1.3f), Oscillator(kMetal[4] * 1.3f), Oscillator(kMetal[5] * 1.3f)};
  HighPass hp_l1(3000.0f), hp_l2(3000.0f), hp_r1(3000.0f), hp_r2(3000.0f);
  Decay env(seconds);
  Decay flash(0.05f);
  for (int64_t i = 0; i < n; ++i) {
    float m = 0.0f;
    for (auto& osc : metal) m += osc.pulse(0.5f);
    const float e = (env.next() + 0.8f * flash.next()) *
                    attack_release(i, length, 1, samples(0.2f)) * gain;
    const float l = hp_l2.process(hp_l1.process(0.08f * m + rng.bipolar())) * e;
    const float r = hp_r2.process(hp_r1.process(0.08f * m + rng.bipolar())) * e;
    out.add(start + i, l, r);
  }
}

void play_bass(StereoBuffer& out, int64_t start, int64_t length, int note, float gain) {
  const int64_t n = out.room(start, length);
  const float hz = midi_to_hz(static_cast<float>(note));
  Oscillator saw(hz, 0.5f);
  Oscillator sub(hz, 0.25f);
  Svf filter(400.0f, 0.35f);
  Decay sweep(0.09f);
  for (int64_t i = 0; i < n; ++i) {
    if ((i & 15) == 0) filter.set(hz * 2.0f + 1600.0f * sweep.value, 0.35f);
    sweep.next();
    filter.process(saw.saw());
    const float v = (0.55f * filter.low + 0.6f * sub.sine()) *
                    attack_release(i, length, samples(0.003f), samples(0.02f)) * gain;
    out.add(start + i, v, v);
  }
}

void play_pad(StereoBuffer& out, int64_t start, int64_t length, int note, float gain,
              float brightness, float pan) {
  const int64_t release = samples(0.6f);
  const int64_t total = length + release;
  const int64_t n = out.room(start, total);
  const float hz = midi_to_hz(static_cast<float>(note));
  Oscillator a(hz * 1.0041f, 0.13f);
  Oscillator b(hz * 0.9959f, 0.61f);
  const float cutoff = hz * (2.0f + 8.0f * brightness) + 600.0f + 3500.0f * brightness;
  Svf filter(cutoff, 0.15f);
  const Pan p(pan);
  for (int64_t i = 0; i < n; ++i) {
    filter.process(0.5f * (a.saw() + b.saw()));
    const float v = filter.low * attack_release(i, total, samples(0.25f), release) * gain;
    out.add(start + i, v * p.left, v * p.right);
  }
}

void play_lead(StereoBuffer& out, int64_t start, int64_t length, int note, float gain) {
  const int64_t release = samples(0.08f);
  const int64_t total = length + release;
  const int64_t n = out.room(start, total);
  const float hz = midi_to_hz(static_cast<float>(note));
  Oscillator pulse(hz, 0.0f);
  Oscillator saw(hz * 1.003f, 0.3f);
  Oscillator vibrato(5.5f, 0.0f);
  Svf filter(hz * 6.0f, 0.3f);
  Decay bright(0.25f);
  const int64_t vibrato_start = samples(0.15f);
  for (int64_t i = 0; i < n; ++i) {
    const float depth = i > vibrato_start ? 0.006f : 0.0f;
    const float wobble = 1.0f + depth * vibrato.sine();
    if ((i & 15) == 0) {
      pulse.set_hz(hz * wobble);
      saw.set_hz(hz * 1.003f * wobble);
      filter.set(hz * (3.0f + 8.0f * bright.value) + 1500.0f, 0.3f);
    }
    bright.next();
    filter.process(0.6f * pulse.pulse(0.35f) + 0.5f * saw.saw());
    const float v = filter.low * attack_release(i, total, samples(0.004f), release) * gain;
    out.add(start + i, v, v);
  }
}

void play_pluck(StereoBuffer& out, int64_t start, int note, float gain, float pan) {
  const int64_t length = samples(0.3f);
  const int64_t n = out.room(start, length);
  const float hz = midi_to_hz(static_cast<float>(note));
  Oscillator saw(hz, 0.5f);
  Svf filter(hz * 8.0f, 0.4f);
  Decay env(0.07f);
  Decay bright(0.04f);
  const Pan p(pan);
  for (int64_t i = 0; i < n; ++i) {
    if ((i & 15) == 0) filter.set(hz * 2.0f + 7000.0f * bright.value, 0.4f);
    bright.next();
    filter.process(saw.saw());
    const float v = filter.low * env.next() * attack_release(i, length, 1, samples(0.02f)) * gain;
    out.add(start + i, v * p.left, v * p.right);
  }
}

void play_stab(StereoBuffer& out, int64_t start, std::span<const int> notes, float gain,
               float seconds) {
  const int64_t length = samples(seconds * 3.0f);
  const int64_t n = out.room(start, length);
  for (size_t k = 0; k < notes.size(); ++k) {
    const float hz = midi_to_hz(static_cast<float>(notes[k]));
    // Start both saws low on their ramps so the chord strikes from its first sample.
    Oscillator a(hz * 1.003f, 0.05f);
    Oscillator b(hz * 0.997f, 0.15f);
    Svf filter(7000.0f, 0.2f);
    Decay env(seconds);
    Decay bright(seconds * 0.3f);
    const float spread = notes.size() > 1 ? static_cast<float>(k) / (notes.size() - 1) : 0.5f;
    const Pan p(0.6f * (spread * 2.0f - 1.0f));
    for (int64_t i = 0; i < n; ++i) {
      if ((i & 15) == 0) filter.set(hz * 2.0f + 7000.0f * bright.value, 0.2f);
      bright.next();
      filter.process(0.5f * (a.saw() + b.saw()));
      const float v = filter.low * env.next() * attack_release(i, length, 1, samples(0.1f)) * gain;
      out.add(start + i, v * p.left, v * p.right);
    }
  }
}

void play_riser(StereoBuffer& out, int64_t start, int64_t end, float gain, Random& rng) {
  const int64_t length = end - start;
  if (length <= 0) return;
  const int64_t n = out.room(start, length);
  Svf left(200.0f, 0.6f);
  Svf right(200.0f, 0.6f);
  for (int64_t i = 0; i < n; ++i) {
    const float x = static_cast<float>(i) / static_cast<float>(length);
    if ((i & 31) == 0) {
      const float cutoff = 200.0f * std::pow(40.0f, x);
      left.set(cutoff, 0.6f);
      right.set(cutoff, 0.6f);
    }
    left.process(rng.bipolar());
    right.process(rng.bipolar());
    const float e = x * x * gain * attack_release(i, length, 1, samples(0.015f));
    out.add(start + i, left.band * e, right.band * e);
  }
}

}  // namespace music
