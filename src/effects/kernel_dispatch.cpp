#include "effects/kernel_dispatch.h"

#include <atomic>

#include "effects/blend_kernels.h"
#include "effects/blur_kernels.h"
#include "effects/mask_kernels.h"
#include "effects/scale_kernels.h"

// The build says which vector levels it compiled (0 or 1 each).
#if !defined(SAVA_SSE2_KERNELS) || !defined(SAVA_AVX2_KERNELS)
#error "SAVA_SSE2_KERNELS and SAVA_AVX2_KERNELS must be defined by the build"
#endif

namespace {

constexpr bool sse2_built = SAVA_SSE2_KERNELS != 0;
constexpr bool avx2_built = SAVA_AVX2_KERNELS != 0;

bool processor_has([[maybe_unused]] SimdLevel level) {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  switch (level) {
    case SimdLevel::scalar: return true;
    case SimdLevel::sse2: return __builtin_cpu_supports("sse2");
    case SimdLevel::avx2: return __builtin_cpu_supports("avx2");
  }
  return false;
#else
  // Elsewhere a built vector level is part of the target itself (a
  // WebAssembly module with SIMD is checked when it is loaded).
  return true;
#endif
}

struct Support {
  bool level[3];
  SimdLevel best;
};

const Support& support() {
  static const Support s = [] {
    Support r{{true, sse2_built && processor_has(SimdLevel::sse2), avx2_built && processor_has(SimdLevel::avx2)},
              SimdLevel::scalar};
    if (r.level[1]) r.best = SimdLevel::sse2;
    if (r.level[2]) r.best = SimdLevel::avx2;
    return r;
  }();
  return s;
}

// -1 while no level was chosen explicitly: the best one is used. Atomic
// so that renders on several threads may ask for it at once.
std::atomic<int> chosen_level{-1};

}  // namespace

bool simd_level_supported(SimdLevel level) { return support().level[static_cast<int>(level)]; }

SimdLevel best_simd_level() { return support().best; }

SimdLevel simd_level() {
  const int level = chosen_level.load(std::memory_order_relaxed);
  return level < 0 ? best_simd_level() : static_cast<SimdLevel>(level);
}

void set_simd_level(SimdLevel level) {
  if (!simd_level_supported(level)) level = best_simd_level();
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

// The tables of the level in use. simd_level() is always a supported level;
// a table of a level this build lacks is named only in a discarded branch,
// so its file need not exist.

const BlendKernels& blend_kernels() {
  const SimdLevel level = simd_level();
  if constexpr (avx2_built) { if (level == SimdLevel::avx2) return blend_kernels_avx2; }
  if constexpr (sse2_built) { if (level == SimdLevel::sse2) return blend_kernels_sse2; }
  return blend_kernels_scalar;
}

const ScaleKernels& scale_kernels() {
  const SimdLevel level = simd_level();
  if constexpr (avx2_built) { if (level == SimdLevel::avx2) return scale_kernels_avx2; }
  if constexpr (sse2_built) { if (level == SimdLevel::sse2) return scale_kernels_sse2; }
  return scale_kernels_scalar;
}

const MaskKernels& mask_kernels() {
  const SimdLevel level = simd_level();
  if constexpr (avx2_built) { if (level == SimdLevel::avx2) return mask_kernels_avx2; }
  if constexpr (sse2_built) { if (level == SimdLevel::sse2) return mask_kernels_sse2; }
  return mask_kernels_scalar;
}

const BlurKernels& blur_kernels() {
  const SimdLevel level = simd_level();
  if constexpr (avx2_built) { if (level == SimdLevel::avx2) return blur_kernels_avx2; }
  if constexpr (sse2_built) { if (level == SimdLevel::sse2) return blur_kernels_sse2; }
  return blur_kernels_scalar;
}
