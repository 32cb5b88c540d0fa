// Choice of the instruction set used by the effect kernels. SSE2 is the
// x86-64 baseline and always available; AVX2 is used when the processor has
// it. Every level computes bit-identical results; tests and benchmarks
// switch levels to compare them.
#pragma once

enum class SimdLevel { scalar, sse2, avx2 };

// The best level this processor supports.
SimdLevel best_simd_level();

// The level in use (initially the best one).
SimdLevel simd_level();

// Selects a level; a level the processor lacks falls back to the best one
// it has. Meant for tests and benchmarks, between renders.
void set_simd_level(SimdLevel level);

const char* simd_level_name(SimdLevel level);
