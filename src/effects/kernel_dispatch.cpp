#include "effects/kernel_dispatch.h"

namespace {

SimdLevel detect() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return SimdLevel::avx2;
#endif
  return SimdLevel::sse2;
}

// Resolved on first use: no dependence on static initialisation order.
bool chosen = false;
SimdLevel current = SimdLevel::sse2;

}  // namespace

SimdLevel best_simd_level() {
  static const SimdLevel best = detect();
  return best;
}

SimdLevel simd_level() {
  if (!chosen) {
    current = best_simd_level();
    chosen = true;
  }
  return current;
}

void set_simd_level(SimdLevel level) {
  if (level == SimdLevel::avx2 && best_simd_level() != SimdLevel::avx2) level = best_simd_level();
  current = level;
  chosen = true;
}

const char* simd_level_name(SimdLevel level) {
  switch (level) {
    case SimdLevel::scalar: return "scalar";
    case SimdLevel::sse2: return "sse2";
    case SimdLevel::avx2: return "avx2";
  }
  return "?";
}
