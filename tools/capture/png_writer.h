// Writes 0xAARRGGBB pixels as an RGB PNG (alpha dropped, as the display
// drops it).
#pragma once

#include <cstdint>
#include <string>

// `level` is the zlib compression level (1 is fast, 9 small).
bool write_png_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height, int level,
                   std::string* error);
