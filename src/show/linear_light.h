// Linear light of the show's 8-bit channels (sRGB), in whole numbers, so
// that arithmetic on it gives the same bytes on every platform.
#pragma once

#include <cstdint>

// Linear light of full intensity.
inline constexpr int64_t linear_one = int64_t{1} << 20;

// The linear light of channel value `byte`, of linear_one.
int64_t linear_of_byte(uint32_t byte);

// The channel value whose linear light is nearest `linear` (ties to the
// darker), for any `linear`: 0 below black, 255 above white.
uint32_t byte_of_linear(int64_t linear);

// Relative luminance (0.2126 R + 0.7152 G + 0.0722 B, linear) of the pixel
// word 0xAARRGGBB, of linear_one * 10000.
int64_t luminance_of_pixel(uint32_t pixel);
