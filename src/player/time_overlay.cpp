#include "player/time_overlay.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int32_t glyph_width = 5;
constexpr int32_t glyph_height = 7;
constexpr int32_t advance = glyph_width + 1;
constexpr int32_t line_height = glyph_height + 2;
constexpr int32_t margin = 4;   // from the screen's edges
constexpr int32_t padding = 3;  // inside the box

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
    {'/', "..... ....# ...#. ..#.. .#... #.... ....."},
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

std::string format_show_time(int32_t ms) {
  const int64_t magnitude = std::llabs(static_cast<int64_t>(ms));
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld:%02lld.%03lld", ms < 0 ? "-" : "", static_cast<long long>(magnitude / 60000),
                static_cast<long long>(magnitude / 1000 % 60), static_cast<long long>(magnitude % 1000));
  return text;
}

std::vector<std::string> overlay_lines(int32_t now, int32_t cue, const char* scene, bool paused, bool looping) {
  std::string first = format_show_time(now) + "  cue " + (cue >= 0 ? std::to_string(cue) : std::string("-"));
  if (paused) first += "  paused";
  if (looping) first += "  loop";
  std::vector<std::string> lines{first};
  if (scene != nullptr) lines.emplace_back(scene);
  return lines;
}

OverlayBox overlay_box(const std::vector<std::string>& lines, int32_t screen_width, int32_t screen_height) {
  size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  OverlayBox box{margin, margin, 0, 0};
  if (lines.empty()) return box;
  const int64_t width = static_cast<int64_t>(longest) * advance - 1 + 2 * padding;
  const int64_t height = static_cast<int64_t>(lines.size()) * line_height - 2 + 2 * padding;
  box.width = static_cast<int32_t>(std::clamp<int64_t>(width, 0, std::max(0, screen_width - margin)));
  box.height = static_cast<int32_t>(std::clamp<int64_t>(height, 0, std::max(0, screen_height - margin)));
  return box;
}

void draw_overlay(const std::vector<std::string>& lines, uint32_t* pixels, const OverlayBox& box) {
  const size_t count = static_cast<size_t>(box.width) * static_cast<size_t>(box.height);
  for (size_t i = 0; i < count; ++i) pixels[i] = (pixels[i] & 0xFF000000u) | ((pixels[i] >> 2) & 0x003F3F3Fu);
  for (size_t row = 0; row < lines.size(); ++row) {
    const int32_t top = padding + static_cast<int32_t>(row) * line_height;
    for (size_t column = 0; column < lines[row].size(); ++column) {
      const Glyph* g = glyph_for(lines[row][column]);
      if (g == nullptr) continue;
      const int32_t left = padding + static_cast<int32_t>(column) * advance;
      for (int32_t y = 0; y < glyph_height; ++y) {
        for (int32_t x = 0; x < glyph_width; ++x) {
          if (!lit(*g, x, y) || left + x >= box.width || top + y >= box.height) continue;
          pixels[static_cast<size_t>(top + y) * box.width + left + x] = 0xFFFFFFFFu;
        }
      }
    }
  }
}
