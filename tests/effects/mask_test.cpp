#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "effects/mask.h"
#include "effects/mask_kernels.h"
#include "effects/blur_mask_support.h"
#include "effects_test_util.h"

namespace {

using fx_levels::FencedImage;
using fx_levels::ScopedLevel;
using test_util::at;

// The mask rule written out channel by channel.
uint32_t reference_mask(uint32_t p, uint8_t m) {
  if (m == 255) return p;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) out |= ((((p >> shift) & 0xFFu) * (m + 1u)) >> 8) << shift;
  return out;
}

uint8_t* mask_bytes(std::size_t n, uint8_t value) {
  auto* bytes = static_cast<uint8_t*>(std::calloc(n ? n : 1, 1));
  std::memset(bytes, value, n);
  return bytes;
}

// Test pixel whose channels step through all byte values along x and y.
uint32_t pattern(int32_t x, int32_t y) {
  return static_cast<uint32_t>(((y * 7 + x * 3) & 0xFF) << 24 | ((x + y) & 0xFF) << 16 | ((x + 2 * y + 85) & 0xFF) << 8 |
                               ((x + 3 * y + 170) & 0xFF));
}

TEST(MaskObjects, InitDestroyAndNullMask) {
  for (EffectInitFn init : {row_mask_init, column_mask_init}) {
    EffectObject* object = effect_create(init, nullptr);
    ASSERT_NE(object->state, nullptr);
    EXPECT_EQ(object->init, init);
    EXPECT_EQ(object->update, nullptr);
    EXPECT_NE(object->render, nullptr);
    // Zero-filled state: nothing to draw, nothing owned; rendering and
    // destroying are both harmless.
    object->render(object->state, 0);
    effect_free(object);  // mask never set: frees only the record
  }
  EffectObject* object = effect_create(row_mask_init, nullptr);
  static_cast<RowMaskState*>(object->state)->mask = mask_bytes(10, 255);
  effect_free(object);  // frees the mask too (checked by the leak sanitizer)
}

// Every mask byte against every channel value, alpha included, at every
// instruction-set level, through both renderers.
TEST(MaskRule, ExhaustiveAgainstReference) {
  // Row y of a 259 x 256 image holds values covering every channel byte;
  // 259 columns exercise the vector loops' tails.
  const int32_t w = 259, h = 256;
  for (SimdLevel level : fx_levels::available()) {
    ScopedLevel use(level);
    FencedImage rows(w, h), columns(h, w);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) at(*rows, x, y) = pattern(x, y);
    for (int32_t y = 0; y < w; ++y)
      for (int32_t x = 0; x < h; ++x) at(*columns, x, y) = pattern(y, x);

    EffectObject* row_mask = effect_create(row_mask_init, nullptr);
    auto* rs = static_cast<RowMaskState*>(row_mask->state);
    *rs = RowMaskState{rows.get(), 0, 0, w, h, mask_bytes(h, 0)};
    for (int32_t j = 0; j < h; ++j) rs->mask[j] = static_cast<uint8_t>(j);
    row_mask->render(rs, 0);

    EffectObject* column_mask = effect_create(column_mask_init, nullptr);
    auto* cs = static_cast<ColumnMaskState*>(column_mask->state);
    *cs = ColumnMaskState{columns.get(), 0, 0, h, w, mask_bytes(h, 0)};
    for (int32_t i = 0; i < h; ++i) cs->mask[i] = static_cast<uint8_t>(i);
    column_mask->render(cs, 0);

    int failures = 0;
    for (int32_t y = 0; y < h && failures < 5; ++y) {
      for (int32_t x = 0; x < w && failures < 5; ++x) {
        const uint32_t expected = reference_mask(pattern(x, y), static_cast<uint8_t>(y));
        if (at(*rows, x, y) != expected || at(*columns, y, x) != expected) {
          ADD_FAILURE() << simd_level_name(level) << " m=" << y << " p=" << std::hex << pattern(x, y)
                        << " row " << at(*rows, x, y) << " column " << at(*columns, y, x) << " expected "
                        << expected;
          ++failures;
        }
      }
    }
    EXPECT_TRUE(rows.fences_intact() && columns.fences_intact());
    effect_free(row_mask);
    effect_free(column_mask);
  }
}

TEST(MaskRule, NamedValues) {
  EXPECT_EQ(mask_pixel(0x12FFFFFFu, 254), 0xFFFEFEFEu);  // 255 * 255 >> 8 = 254, alpha 255
  EXPECT_EQ(mask_pixel(0x00FFFFFFu, 1), 0xFF010101u);    // 255 * 2 >> 8 = 1
  EXPECT_EQ(mask_pixel(0x7F123456u, 0), 0xFF000000u);
  EXPECT_EQ(mask_pixel(0x7F123456u, 255), 0x7F123456u);  // alpha kept too
}

// Random images with every kind of alpha, random rectangles (some partly or
// wholly outside the image) and random masks, at every level.
TEST(MaskRule, RandomRectanglesMatchReferenceAndStayInside) {
  std::srand(7);
  for (SimdLevel level : fx_levels::available()) {
    ScopedLevel use(level);
    for (int round = 0; round < 300; ++round) {
      const int32_t iw = 1 + std::rand() % 45, ih = 1 + std::rand() % 45;
      FencedImage image(iw, ih);
      test_util::fill_random_alpha_mix(*image, static_cast<uint32_t>(round));
      test_util::ImagePtr before = test_util::clone_image(*image);
      const int32_t x = std::rand() % 70 - 20, y = std::rand() % 70 - 20;
      const int32_t w = std::rand() % 70 - 5, h = std::rand() % 70 - 5;
      const bool by_row = round % 2 == 0;
      const int32_t n = by_row ? h : w;
      uint8_t* mask = mask_bytes(n > 0 ? n : 0, 0);
      for (int32_t i = 0; i < n; ++i) {
        const int r = std::rand() % 4;
        mask[i] = r == 0 ? 0 : r == 1 ? 255 : static_cast<uint8_t>(std::rand());
      }
      EffectObject* object = effect_create(by_row ? row_mask_init : column_mask_init, nullptr);
      if (by_row) {
        *static_cast<RowMaskState*>(object->state) = RowMaskState{image.get(), x, y, w, h, mask};
      } else {
        *static_cast<ColumnMaskState*>(object->state) = ColumnMaskState{image.get(), x, y, w, h, mask};
      }
      object->render(object->state, 0);

      test_util::ImagePtr expected = test_util::clone_image(*before);
      for (int32_t j = 0; j < h; ++j) {
        for (int32_t i = 0; i < w; ++i) {
          const int32_t px = x + i, py = y + j;
          if (px < 0 || py < 0 || px >= iw || py >= ih) continue;
          at(*expected, px, py) = reference_mask(at(*before, px, py), by_row ? mask[j] : mask[i]);
        }
      }
      ASSERT_TRUE(test_util::images_equal(*image, *expected, "mask_random"))
          << simd_level_name(level) << (by_row ? " row" : " column") << " rect " << x << "," << y << " " << w
          << "x" << h << " in " << iw << "x" << ih;
      ASSERT_TRUE(image.fences_intact());
      effect_free(object);
    }
  }
}

TEST(MaskRule, AllOpaqueMaskKeepsImageAndExtremeRectangles) {
  FencedImage image(400, 300);
  test_util::fill_random(*image, 3);  // arbitrary alpha bytes
  const uint64_t sum = test_util::checksum(*image);
  EffectObject* column = effect_create(column_mask_init, nullptr);
  *static_cast<ColumnMaskState*>(column->state) = ColumnMaskState{image.get(), 0, 0, 400, 300, mask_bytes(400, 255)};
  column->render(column->state, 0);
  EffectObject* row = effect_create(row_mask_init, nullptr);
  *static_cast<RowMaskState*>(row->state) = RowMaskState{image.get(), 0, 0, 400, 300, mask_bytes(300, 255)};
  row->render(row->state, 0);
  EXPECT_EQ(test_util::checksum(*image), sum);

  // Rectangles whose far edge overflows int32 or that lie wholly outside.
  auto* rs = static_cast<RowMaskState*>(row->state);
  std::memset(rs->mask, 0, 300);
  *rs = RowMaskState{image.get(), INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX, rs->mask};
  row->render(rs, 0);
  *rs = RowMaskState{image.get(), 400, 0, 10, 10, rs->mask};
  row->render(rs, 0);
  *rs = RowMaskState{image.get(), -10, -300, 10, 300, rs->mask};
  row->render(rs, 0);
  EXPECT_EQ(test_util::checksum(*image), sum);
  EXPECT_TRUE(image.fences_intact());
  effect_free(row);
  effect_free(column);
}

}  // namespace
