// The picture catalogue: for every store index the maker and its
// parameters, and the generation of the whole pack.
#pragma once

#include <cstdint>
#include <string>

#include "families.h"

namespace assets {

// The parameters of store index 0 .. picture_count - 1.
const Recipe& picture_recipe(int32_t index);

// Renders one picture. Throws AssetError on failure.
Canvas render_picture(int32_t index);

// The rendering of a picture that others are cut from (thumbnails), made
// once per run and shared between threads.
const Canvas& shared_render(int32_t index);

// Renders picture `index` and writes it to root/<its store path>, as JPEG or
// PNG by the path's ending. PNGs get an alpha channel only when some pixel
// is not opaque.
bool generate_picture(int32_t index, const std::string& root, std::string* error);

// Generates every picture with `threads` workers. On failure returns false
// with the first error (in store order).
bool generate_pictures(const std::string& root, unsigned threads, std::string* error);

}  // namespace assets
