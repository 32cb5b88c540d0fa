#include "player/screen_convert.h"

#include <bit>
#include <cstring>

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

bool layout_matches_screen(const PixelLayout& layout, int32_t pitch, int32_t width) {
  return layout.bytes_per_pixel == 4 && pitch == width * 4 && layout.red_shift == 16 && layout.green_shift == 8 &&
         layout.blue_shift == 0 && layout.red_loss == 0 && layout.green_loss == 0 && layout.blue_loss == 0 &&
         (layout.alpha_mask == 0 || layout.alpha_mask == 0xFF000000u);
}

namespace {

// One pixel's word in `layout`.
inline uint32_t layout_word(uint32_t p, const PixelLayout& layout) {
  const uint32_t r = (p >> 16) & 0xFF;
  const uint32_t g = (p >> 8) & 0xFF;
  const uint32_t b = p & 0xFF;
  return ((r >> layout.red_loss) << layout.red_shift) | ((g >> layout.green_loss) << layout.green_shift) |
         ((b >> layout.blue_loss) << layout.blue_shift) | layout.alpha_mask;
}

// A canvas's RGBA bytes: the show's words with red and blue exchanged.
[[maybe_unused]] bool red_blue_exchanged(const PixelLayout& layout) {
  return layout.bytes_per_pixel == 4 && layout.red_shift == 0 && layout.green_shift == 8 && layout.blue_shift == 16 &&
         layout.red_loss == 0 && layout.green_loss == 0 && layout.blue_loss == 0;
}

// Converts the first pixels of a row that the machine's vectors take
// whole, and says how many that was.
int32_t convert_row_vectors([[maybe_unused]] const uint32_t* in, [[maybe_unused]] int32_t width,
                            [[maybe_unused]] uint8_t* out, [[maybe_unused]] const PixelLayout& layout) {
  int32_t x = 0;
#if defined(__wasm_simd128__)
  if (red_blue_exchanged(layout)) {
    // Bytes B G R A become R G B and nothing, then the layout's alpha bits.
    const v128_t none = wasm_i32x4_splat(0);
    const v128_t alpha = wasm_u32x4_splat(layout.alpha_mask);
    for (; x + 4 <= width; x += 4) {
      const v128_t p = wasm_v128_load(in + x);
      const v128_t v = wasm_i8x16_shuffle(p, none, 2, 1, 0, 16, 6, 5, 4, 16, 10, 9, 8, 16, 14, 13, 12, 16);
      wasm_v128_store(out + static_cast<int64_t>(x) * 4, wasm_v128_or(v, alpha));
    }
  }
#endif
  return x;
}

}  // namespace

void convert_to_layout(const uint32_t* src, int32_t width, int32_t height, uint8_t* dst, int32_t pitch,
                       const PixelLayout& layout) {
  const int32_t bpp = layout.bytes_per_pixel;
  if (bpp == 4 && std::endian::native == std::endian::little) {
    // Whole words at a time (every frame of a web page goes through here):
    // the machine's own order is the surface's.
    for (int32_t y = 0; y < height; ++y) {
      const uint32_t* in = src + static_cast<int64_t>(y) * width;
      uint8_t* out = dst + static_cast<int64_t>(y) * pitch;
      for (int32_t x = convert_row_vectors(in, width, out, layout); x < width; ++x) {
        const uint32_t v = layout_word(in[x], layout);
        std::memcpy(out + static_cast<int64_t>(x) * 4, &v, sizeof v);
      }
    }
    return;
  }
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* in = src + static_cast<int64_t>(y) * width;
    uint8_t* out = dst + static_cast<int64_t>(y) * pitch;
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t v = layout_word(in[x], layout);
      // Lowest byte first: the surface's words are in the machine's order.
      for (int32_t i = 0; i < bpp; ++i) out[x * bpp + i] = static_cast<uint8_t>(v >> (8 * i));
    }
  }
}
