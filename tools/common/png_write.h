// PNG files through libpng, for the tools and the tests' fixtures: one place
// for the library's error handling. A failure comes back as false and a
// one-line reason (the library's, or the system's where writing failed).
// The files hold no time stamps or other varying data: the same pixels give
// the same bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

// The PNG colour types.
enum class PngColour : uint8_t { grey = 0, rgb = 2, palette = 3, grey_alpha = 4, rgba = 6 };

struct PngRgb {
  uint8_t r, g, b;
};

struct PngFormat {
  PngColour colour = PngColour::rgb;
  int bit_depth = 8;         // 1, 2, 4, 8 or 16, as the colour type allows
  bool interlaced = false;   // Adam7
  int level = -1;            // zlib compression level, 0 to 9; -1 the library's default
  std::vector<PngRgb> palette = {};                   // PngColour::palette
  std::vector<uint8_t> palette_alpha = {};            // alpha of the first palette entries (tRNS)
  std::optional<std::vector<uint16_t>> colour_key = {};  // a transparent colour (tRNS): grey {g}, rgb {r, g, b}
};

// `height` rows of samples packed as the file stores them: channels per
// pixel as the colour type says, 16-bit samples big-endian, samples of fewer
// than 8 bits from the high bits of each byte on.
Result<void> png_write(std::FILE* file, const PngFormat& format, uint32_t width, uint32_t height,
                       const uint8_t* const* rows);
Result<void> png_write(std::vector<uint8_t>* out, const PngFormat& format, uint32_t width, uint32_t height,
                       const uint8_t* const* rows);

// 0xAARRGGBB words, row by row, as an 8-bit RGB picture (alpha dropped, as
// the display drops it) or with `alpha` as RGBA.
Result<void> png_write_pixels(std::FILE* file, const uint32_t* pixels, int32_t width, int32_t height, bool alpha,
                              int level);
Result<void> png_write_pixels(std::vector<uint8_t>* out, const uint32_t* pixels, int32_t width, int32_t height,
                              bool alpha, int level);
// As RGB, each pixel a sharp `scale` x `scale` block: a picture `scale` times
// as wide and as high.
Result<void> png_write_pixels_enlarged(std::FILE* file, const uint32_t* pixels, int32_t width, int32_t height,
                                       int32_t scale, int level);
