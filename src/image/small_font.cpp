#include "image/small_font.h"

#include <cctype>

namespace {

constexpr int32_t glyph_width = small_font_width;
constexpr int32_t glyph_height = small_font_height;

struct Glyph {
  char c;
  // Seven rows of five pixels, top first, '#' lit, rows separated by one
  // space.
  const char* rows;
};

constexpr Glyph font[] = {
    {'0', ".###. #...# #..## #.#.# ##..# #...# .###."}, {'1', "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'2', ".###. #...# ....# ...#. ..#.. .#... #####"}, {'3', "##### ...#. ..#.. ...#. ....# #...# .###."},
    {'4', "...#. ..##. .#.#. #..#. ##### ...#. ...#."}, {'5', "##### #.... ####. ....# ....# #...# .###."},
    {'6', "..##. .#... #.... ####. #...# #...# .###."}, {'7', "##### ....# ...#. ..#.. .#... .#... .#..."},
    {'8', ".###. #...# #...# .###. #...# #...# .###."}, {'9', ".###. #...# #...# .#### ....# ...#. .##.."},
    {'A', ".###. #...# #...# ##### #...# #...# #...#"}, {'B', "####. #...# #...# ####. #...# #...# ####."},
    {'C', ".###. #...# #.... #.... #.... #...# .###."}, {'D', "###.. #..#. #...# #...# #...# #..#. ###.."},
    {'E', "##### #.... #.... ####. #.... #.... #####"}, {'F', "##### #.... #.... ####. #.... #.... #...."},
    {'G', ".###. #...# #.... #.### #...# #...# .####"}, {'H', "#...# #...# #...# ##### #...# #...# #...#"},
    {'I', ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###."}, {'J', "..### ...#. ...#. ...#. ...#. #..#. .##.."},
    {'K', "#...# #..#. #.#.. ##... #.#.. #..#. #...#"}, {'L', "#.... #.... #.... #.... #.... #.... #####"},
    {'M', "#...# ##.## #.#.# #.#.# #...# #...# #...#"}, {'N', "#...# #...# ##..# #.#.# #..## #...# #...#"},
    {'O', ".###. #...# #...# #...# #...# #...# .###."}, {'P', "####. #...# #...# ####. #.... #.... #...."},
    {'Q', ".###. #...# #...# #...# #.#.# #..#. .##.#"}, {'R', "####. #...# #...# ####. #.#.. #..#. #...#"},
    {'S', ".#### #.... #.... .###. ....# ....# ####."}, {'T', "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#.."},
    {'U', "#...# #...# #...# #...# #...# #...# .###."}, {'V', "#...# #...# #...# #...# #...# .#.#. ..#.."},
    {'W', "#...# #...# #...# #.#.# #.#.# #.#.# .#.#."}, {'X', "#...# #...# .#.#. ..#.. .#.#. #...# #...#"},
    {'Y', "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#.."}, {'Z', "##### ....# ...#. ..#.. .#... #.... #####"},
    {':', "..... .##.. .##.. ..... .##.. .##.. ....."}, {'.', "..... ..... ..... ..... ..... .##.. .##.."},
    {',', "..... ..... ..... ..... .##.. ..#.. .#..."}, {'-', "..... ..... ..... ##### ..... ..... ....."},
    {'/', "..... ....# ...#. ..#.. .#... #.... ....."}, {'+', "..... ..#.. ..#.. ##### ..#.. ..#.. ....."},
};

constexpr bool well_formed(const Glyph& g) {
  for (int32_t i = 0; i < glyph_height * (glyph_width + 1) - 1; ++i) {
    const char c = g.rows[i];
    if (i % (glyph_width + 1) == glyph_width ? c != ' ' : c != '#' && c != '.') return false;
  }
  return g.rows[glyph_height * (glyph_width + 1) - 1] == '\0';
}
constexpr bool font_well_formed() {
  for (const Glyph& g : font)
    if (!well_formed(g)) return false;
  return true;
}
static_assert(font_well_formed(), "every glyph is seven rows of five pixels");

const Glyph* glyph_for(char c) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Glyph& g : font)
    if (g.c == upper) return &g;
  return nullptr;
}

bool lit(const Glyph& g, int32_t x, int32_t y) { return g.rows[y * (glyph_width + 1) + x] == '#'; }

}  // namespace

void draw_small_text(uint32_t* pixels, int32_t width, int32_t height, int32_t x, int32_t y, const std::string& text,
                     int32_t scale, uint32_t colour) {
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph* g = glyph_for(text[i]);
    if (g == nullptr) continue;
    const int64_t left = x + static_cast<int64_t>(i) * small_font_advance * scale;
    for (int32_t gy = 0; gy < glyph_height; ++gy) {
      for (int32_t gx = 0; gx < glyph_width; ++gx) {
        if (!lit(*g, gx, gy)) continue;
        for (int32_t dy = 0; dy < scale; ++dy) {
          for (int32_t dx = 0; dx < scale; ++dx) {
            const int64_t px = left + static_cast<int64_t>(gx) * scale + dx;
            const int64_t py = y + static_cast<int64_t>(gy) * scale + dy;
            if (px < 0 || py < 0 || px >= width || py >= height) continue;
            pixels[static_cast<size_t>(py) * static_cast<size_t>(width) + static_cast<size_t>(px)] = colour;
          }
        }
      }
    }
  }
}
