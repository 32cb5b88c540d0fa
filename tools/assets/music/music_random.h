// Deterministic random numbers for the synthesizer: the same seed gives the
// same noise and the same humanisation on every run, so the generated
// soundtrack is byte-identical from build to build.
#pragma once

#include <cstdint>

namespace music {

// SplitMix64: tiny, fast, and good enough for audio noise.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1), 24 bits of resolution.
  float unit() { return static_cast<float>(next() >> 40) * (1.0f / 16777216.0f); }

  // Uniform in [-1, 1).
  float bipolar() { return unit() * 2.0f - 1.0f; }

 private:
  uint64_t state_;
};

}  // namespace music
