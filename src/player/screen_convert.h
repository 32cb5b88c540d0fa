// Copying the show's 0xAARRGGBB screen buffer into a display surface whose
// pixel layout differs from it (other channel order, depth or row pitch).
#pragma once

#include <cstdint>

// Packed-pixel layout of a surface: bytes per pixel (2, 3 or 4), and for each
// colour channel where its top bits go (shift) and how many low bits of the
// 8-bit value are dropped (loss). Bits of alpha_mask are set in every pixel.
struct PixelLayout {
  int32_t bytes_per_pixel;
  int32_t red_shift, green_shift, blue_shift;
  int32_t red_loss, green_loss, blue_loss;
  uint32_t alpha_mask;
};

// True when a surface of this layout and pitch already is `width` words of
// 0xXXRRGGBB per row with no gap, so the show can draw straight into it.
bool layout_matches_screen(const PixelLayout& layout, int32_t pitch, int32_t width);

// Converts `height` rows of `width` 0xAARRGGBB words (rows packed, no gap)
// into `dst`, whose rows are `pitch` bytes apart, in the byte order of a
// little-endian machine.
void convert_to_layout(const uint32_t* src, int32_t width, int32_t height, uint8_t* dst, int32_t pitch,
                       const PixelLayout& layout);
