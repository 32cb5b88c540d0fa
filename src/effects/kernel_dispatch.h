// Choice of the instruction set used by the effect kernels.
//
// Each kernel family (blend_kernels.h, scale_kernels.h, mask_kernels.h,
// blur_kernels.h) has one table of functions per level, and each level of a
// family sits in its own file compiled for that instruction set alone:
//   *_scalar.cpp  the reference, plain C++, built everywhere;
//   *_sse2.cpp    built where the target has SSE2: x86, and WebAssembly with
//                 128-bit SIMD (its compiler maps SSE2 intrinsics onto it);
//   *_avx2.cpp    built on x86 only.
// The build may leave the vector files out (src/effects/CMakeLists.txt);
// the scalar kernels then do all the work. A caller fetches its family's
// table once per call. Every level computes bit-identical results; tests
// and benchmarks switch levels to compare them.
#pragma once

enum class SimdLevel { scalar, sse2, avx2 };

// Whether this build has the level's kernels and the processor can run them.
// The scalar level always can.
bool simd_level_supported(SimdLevel level);

// The best supported level.
SimdLevel best_simd_level();

// The level in use (initially the best one).
SimdLevel simd_level();

// Selects a level; an unsupported level falls back to the best one.
// Meant for tests and benchmarks, between renders.
void set_simd_level(SimdLevel level);

const char* simd_level_name(SimdLevel level);
