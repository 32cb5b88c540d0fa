// Writes 0xAARRGGBB pixels as an RGB PNG (alpha dropped, as the display
// drops it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Encodes into an open stream; `name` names it in the error ("NAME: reason",
// the system's reason where writing failed). `level` is the zlib compression
// level (1 is fast, 9 small).
bool encode_png_rgb(std::FILE* file, const std::string& name, const uint32_t* pixels, int32_t width,
                    int32_t height, int level, std::string* error);

// A whole file at `path`, written under a temporary name and renamed when
// complete: a failure leaves nothing under `path`.
bool write_png_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height, int level,
                   std::string* error);
