#include "effects/kernel_dispatch.h"

#include <atomic>

namespace {

SimdLevel detect() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return SimdLevel::avx2;
#endif
  return SimdLevel::sse2;
}

// -1 while no level was chosen explicitly: the best one is used. Atomic
// so that renders on several threads may ask for it at once.
std::atomic<int> chosen_level{-1};

}  // namespace

SimdLevel best_simd_level() {
  static const SimdLevel best = detect();
  return best;
}

SimdLevel simd_level() {
  const int level = chosen_level.load(std::memory_order_relaxed);
  return level < 0 ? best_simd_level() : static_cast<SimdLevel>(level);
}

void set_simd_level(SimdLevel level) {
  if (level == SimdLevel::avx2 && best_simd_level() != SimdLevel::avx2) level = best_simd_level();
  chosen_level.store(static_cast<int>(level), std::memory_order_relaxed);
}

const char* simd_level_name(SimdLevel level) {
  switch (level) {
    case SimdLevel::scalar: return "scalar";
    case SimdLevel::sse2: return "sse2";
    case SimdLevel::avx2: return "avx2";
  }
  return "?";
}
