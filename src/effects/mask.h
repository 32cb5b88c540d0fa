// RowMask and ColumnMask: darken a rectangle in place through mask bytes
// (255 leaves a pixel alone, 0 makes it opaque black, others scale it).
#pragma once

#include <cstdint>

#include "core/effect.h"
#include "image/image.h"

// RowMask: one mask byte per row of the rectangle (h bytes).
struct RowMaskState {
  Image* image;
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
  uint8_t* mask;  // owned: freed by the destroy function
};

// ColumnMask: one mask byte per column, the same for every row (w bytes).
struct ColumnMaskState {
  Image* image;
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
  uint8_t* mask;  // owned: freed by the destroy function
};

void row_mask_init(EffectObject* object);
void row_mask_render(void* state, int32_t now_ms);
void row_mask_destroy(EffectObject* object);

void column_mask_init(EffectObject* object);
void column_mask_render(void* state, int32_t now_ms);
void column_mask_destroy(EffectObject* object);
