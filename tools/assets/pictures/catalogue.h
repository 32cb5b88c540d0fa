// The picture catalogue: for every store index the maker and its
// parameters, and the generation of the whole pack.
#pragma once

#include <cstdint>
#include <string>

#include "base/result.h"
#include "families.h"

namespace assets {

// The parameters of store index 0 .. picture_count - 1.
const Recipe& picture_recipe(int32_t index);

// Renders one picture. A maker that cannot finish (a missing font, a text
// that does not fit) stops the rendering with AssetError; generate_picture
// gives it as its failure.
Canvas render_picture(int32_t index);

// The rendering of a picture that others are cut from (thumbnails), made
// once per run and shared between threads.
const Canvas& shared_render(int32_t index);

// Renders picture `index` and writes it to root/<its store path>, as JPEG or
// PNG by the path's ending. PNGs get an alpha channel only when some pixel
// is not opaque.
Result<void> generate_picture(int32_t index, const std::string& root);

// Generates every picture with `threads` workers; refused with the first
// failure (in store order).
Result<void> generate_pictures(const std::string& root, unsigned threads);

}  // namespace assets
