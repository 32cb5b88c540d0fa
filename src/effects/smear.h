// ColumnSmear and RowSmear: copy one column (row) of an image over a signed
// span of neighbouring columns (rows), in place.
#pragma once

#include <cstdint>

#include "core/effect.h"
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

void column_smear_init(EffectObject* object);
void column_smear_render(void* state, int32_t now_ms);
void column_smear_destroy(EffectObject* object);

void row_smear_init(EffectObject* object);
void row_smear_render(void* state, int32_t now_ms);
void row_smear_destroy(EffectObject* object);
