// Row kernels of the Compositor's scaled path. The sample positions are
// resolved once per call into per-column tables (source column and
// horizontal weight) and per-row values, so the kernels do no floating
// point. Indices in the tables are already inside the source row.
#pragma once

#include <cstdint>

struct ScaleKernels {
  // dst[i] = row[col[i]].
  void (*nearest_row)(uint32_t* dst, const uint32_t* row, const int32_t* col, int32_t n);
  // out[i] = lerp_bytes(row[col0[i]], row[col1[i]], fx[i] & 0xFF); fx[i]
  // holds the weight in both 16-bit halves (fx * 0x10001).
  void (*mix_columns_row)(uint32_t* out, const uint32_t* row, const int32_t* col0,
                          const int32_t* col1, const uint32_t* fx, int32_t n);
  // dst[i] = lerp_bytes(top[i], bottom[i], fy), fy = 0..255.
  void (*mix_rows_row)(uint32_t* dst, const uint32_t* top, const uint32_t* bottom, int32_t n,
                       uint32_t fy);
};

// The kernels of each level (kernel_dispatch.h); a level this build lacks
// has no definition.
extern const ScaleKernels scale_kernels_scalar;
extern const ScaleKernels scale_kernels_sse2;
extern const ScaleKernels scale_kernels_avx2;

// The kernels of the level in use.
const ScaleKernels& scale_kernels();
