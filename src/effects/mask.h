// RowMask and ColumnMask: darken a rectangle in place through mask bytes
// (255 leaves a pixel alone, 0 makes it opaque black, others scale it).
// Pixels whose row (column) has no byte in the mask are left alone.
#pragma once

#include <cstdint>
#include <vector>

#include "core/effect_type.h"
#include "image/image.h"

// The mask bytes a mask effect owns.
using MaskBytes = std::vector<uint8_t>;

// RowMask: one mask byte per row of the rectangle (h bytes).
struct RowMaskState {
  Image* image;
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
  MaskBytes mask;
};

// ColumnMask: one mask byte per column, the same for every row (w bytes).
struct ColumnMaskState {
  Image* image;
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
  MaskBytes mask;
};

void row_mask_render(const RowMaskState& s, int32_t now_ms);
void column_mask_render(const ColumnMaskState& s, int32_t now_ms);

template <>
struct EffectType<RowMaskState> : EffectTypeOf<RowMaskState, row_mask_render> {};
inline constexpr EffectInitFn row_mask_init = EffectType<RowMaskState>::init;
inline constexpr EffectDestroyFn row_mask_destroy = EffectType<RowMaskState>::destroy;

template <>
struct EffectType<ColumnMaskState> : EffectTypeOf<ColumnMaskState, column_mask_render> {};
inline constexpr EffectInitFn column_mask_init = EffectType<ColumnMaskState>::init;
inline constexpr EffectDestroyFn column_mask_destroy = EffectType<ColumnMaskState>::destroy;
