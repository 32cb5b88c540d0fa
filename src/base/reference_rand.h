// The show's random numbers (each Show owns one generator, seeded 1). The
// frames recorded on the reference platform depend on this exact sequence:
// an additive feedback generator of degree 31 (the long-standing BSD
// random() family at its default state size), seeded by a Lehmer generator
// and run 310 steps before the first result. It is the same on every
// platform, whatever the C library's own rand() does.
#pragma once

#include <cstdint>

class ReferenceRand {
 public:
  explicit ReferenceRand(uint32_t seed = 1) { seed_with(seed); }

  // Starts the sequence again from `seed`; seed 0 counts as 1.
  void seed_with(uint32_t seed);

  // The next value: 0 .. 2^31 - 1.
  int32_t next();

 private:
  static constexpr int degree = 31;
  static constexpr int separation = 3;
  int32_t state_[degree];
  int front_ = separation;  // index of the newest-term pointer
  int rear_ = 0;
};
