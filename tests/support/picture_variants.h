// Other makers' pictures for the show, made from a data folder of ours
// (the generator's): each picture at its own size and alpha, with other
// content. They stand for picture sets the show accepts but was not tuned
// on, for the reduced-flashing checks.
#pragma once

#include <string>

enum class PictureVariant {
  inverted,  // every picture's levels inverted (255 - value, each colour channel)
  noise,     // high-contrast blocks of noise, light and dark pictures by turns
};

// Writes `dir`/data/ with every picture of `from`/data/ as `variant` makes
// it, and `from`'s soundtrack. Throws on a picture it cannot read or write.
void write_picture_variant(const std::string& dir, const std::string& from, PictureVariant variant);
