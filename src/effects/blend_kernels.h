// Row kernels of the one-to-one pixel rules (alpha blend, additive blend,
// scaled replace) and of the constant-colour add.
//
// A kernel may read a block of source pixels before writing the matching
// block of destination pixels, so dst and src must not overlap with dst
// after src in memory; callers that need the strict pixel-by-pixel order
// (an image drawn onto itself) use the scalar rules of pixel_ops.h.
#pragma once

#include <cstdint>

struct BlendKernels {
  // dst[i] = alpha_blend(src[i], dst[i], k), k = 2..256.
  void (*alpha_row)(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k);
  // dst[i] = additive_blend(src[i], dst[i], k), k = 2..256.
  void (*add_row)(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k);
  // dst[i] = scaled_replace(src[i], k), k = 2..255.
  void (*replace_row)(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t k);
  // dst[i] = saturating_add(dst[i], colour) for an already scaled colour.
  void (*add_colour_row)(uint32_t* dst, int32_t n, uint32_t colour);
};

// The kernels of each level (kernel_dispatch.h); a level this build lacks
// has no definition.
extern const BlendKernels blend_kernels_scalar;
extern const BlendKernels blend_kernels_sse2;
extern const BlendKernels blend_kernels_avx2;

// The kernels of the level in use.
const BlendKernels& blend_kernels();
