// ColumnSmear and RowSmear: copy one column (row) of an image over a signed
// span of neighbouring columns (rows), in place.
#pragma once

#include <cstdint>

#include "core/effect_type.h"
#include "image/image.h"

struct ColumnSmearState {
  Image* image;
  int32_t column;
  int32_t span;  // > 0: column .. column+span-1; < 0: column+span .. column-1
};

struct RowSmearState {
  Image* image;
  int32_t row;
  int32_t span;  // > 0: row .. row+span-1; < 0: row+span .. row-1
};

void column_smear_render(const ColumnSmearState& s, int32_t now_ms);
void row_smear_render(const RowSmearState& s, int32_t now_ms);

template <>
struct EffectType<ColumnSmearState> : EffectTypeOf<ColumnSmearState, column_smear_render> {};
inline constexpr EffectInitFn column_smear_init = EffectType<ColumnSmearState>::init;
inline constexpr EffectDestroyFn column_smear_destroy = EffectType<ColumnSmearState>::destroy;

template <>
struct EffectType<RowSmearState> : EffectTypeOf<RowSmearState, row_smear_render> {};
inline constexpr EffectInitFn row_smear_init = EffectType<RowSmearState>::init;
inline constexpr EffectDestroyFn row_smear_destroy = EffectType<RowSmearState>::destroy;
