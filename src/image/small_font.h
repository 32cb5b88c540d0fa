// A small bitmap font for the text the tools write over pictures (the
// player's time overlay, the contact sheet's labels): glyphs of five by seven
// pixels for digits, capital letters and a little punctuation.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t small_font_width = 5;
inline constexpr int32_t small_font_height = 7;
// From one glyph's left edge to the next one's, at scale 1.
inline constexpr int32_t small_font_advance = small_font_width + 1;

// Draws `text` into a `width` x `height` picture of words (`width` words per
// row), its first glyph's top-left corner at (x, y), every font pixel a
// `scale` x `scale` block of `colour`; what falls outside the picture is left
// out. Letters are drawn as capitals; a character the font lacks is left
// blank.
void draw_small_text(uint32_t* pixels, int32_t width, int32_t height, int32_t x, int32_t y, const std::string& text,
                     int32_t scale, uint32_t colour);
