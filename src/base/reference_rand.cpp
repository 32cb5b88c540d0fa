#include "base/reference_rand.h"

void ReferenceRand::seed_with(uint32_t seed) {
  if (seed == 0) seed = 1;
  // state[i] = 16807 * state[i - 1] mod (2^31 - 1), by Schrage's method
  // without overflow.
  int32_t word = static_cast<int32_t>(seed);
  state_[0] = word;
  for (int i = 1; i < degree; ++i) {
    const int32_t hi = word / 127773;
    const int32_t lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    state_[i] = word;
  }
  front_ = separation;
  rear_ = 0;
  for (int i = 0; i < 10 * degree; ++i) next();
}

int32_t ReferenceRand::next() {
  // The sum wraps around in 32 bits; the result drops its lowest bit.
  const uint32_t sum = static_cast<uint32_t>(state_[front_]) + static_cast<uint32_t>(state_[rear_]);
  state_[front_] = static_cast<int32_t>(sum);
  front_ = front_ + 1 == degree ? 0 : front_ + 1;
  rear_ = rear_ + 1 == degree ? 0 : rear_ + 1;
  return static_cast<int32_t>(sum >> 1);
}
