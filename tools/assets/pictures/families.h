// The picture families. Every picture of the store is made by one maker
// function from a constant parameter record (see catalogue.cpp).
#pragma once

#include <stdexcept>
#include <string>

#include "canvas.h"
#include "text.h"

namespace assets {

struct Recipe;
using Maker = Canvas (*)(const Recipe&);

// Word pictures: how the text is drawn.
enum class WordLook {
  light,       // white with a soft dark halo, for photographs
  light_bare,  // white, no halo, for dark backgrounds
  dark,        // black with a faint light halo, for bright backgrounds
  faint_big,   // thin white letters meant for low opacity
  title,       // white letters on an opaque black plate (drawn with replace)
  warm,        // pale gold with a halo
};

struct Recipe {
  Maker make = nullptr;
  int width = 0;   // photographs: the size; words: the largest box
  int height = 0;
  int variant = 0;  // which member of the family
  int frame = 0;    // position in a sequence
  int frames = 1;
  const char* text = nullptr;  // words
  WordLook look = WordLook::light;
  int parent = -1;  // thumbnails: the photograph they are cut from
  int min_width = 0;  // words: transparent columns added on the right up to this width
  int pixel_size = 0;  // words: a fixed size instead of the largest that fits the box
  int baseline = 0;    // words: the baseline's row in the picture (transparent rows above)
  int indent = 0;      // words: transparent columns left of the letters
};

// Failures inside a maker (a missing font); the message is one line.
struct AssetError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Common finish of every photograph: lens vignette and film grain.
void finish_photo(Canvas& c, uint64_t seed, float vignette = 0.35f, float grain = 0.025f);

// Draws one line of text with its ink's top left corner at (x, y). Throws
// AssetError without the font.
void draw_text(Canvas& c, const std::string& text, float x, float y, int pixel_size, Rgb colour,
               float alpha = 1, FontStyle style = FontStyle::sans_bold);
// Width of the ink of a line of text.
int text_width(const std::string& text, int pixel_size, FontStyle style = FontStyle::sans_bold);

Canvas make_word(const Recipe& s);
Canvas make_thumbnail(const Recipe& s);

Canvas make_industry(const Recipe& s);
Canvas make_traffic(const Recipe& s);
Canvas make_train_photo(const Recipe& s);
Canvas make_train_cutout(const Recipe& s);
Canvas make_fuel(const Recipe& s);

Canvas make_laptop(const Recipe& s);
Canvas make_motherboard(const Recipe& s);
Canvas make_phone(const Recipe& s);
Canvas make_phonebox(const Recipe& s);
Canvas make_mixer(const Recipe& s);
Canvas make_equipment(const Recipe& s);

Canvas make_stairs(const Recipe& s);
Canvas make_basement(const Recipe& s);
Canvas make_elevator(const Recipe& s);

Canvas make_eye(const Recipe& s);
Canvas make_water(const Recipe& s);
Canvas make_panorama(const Recipe& s);
Canvas make_beer(const Recipe& s);
Canvas make_series(const Recipe& s);
Canvas make_stage(const Recipe& s);

Canvas make_coverage(const Recipe& s);
Canvas make_binary(const Recipe& s);
Canvas make_design_overlay(const Recipe& s);
Canvas make_design_print(const Recipe& s);
Canvas make_symbol(const Recipe& s);
Canvas make_end_screen(const Recipe& s);

}  // namespace assets
