// Word pictures: one line of anti-aliased text with real alpha, cropped to
// its ink plus a margin for the halo.
#include <algorithm>
#include <cmath>

#include "families.h"
#include "text.h"

namespace assets {

namespace {

struct Look {
  FontStyle font;
  Rgb ink;
  Rgb halo;
  float halo_alpha;   // 0: no halo
  float halo_radius;
  float tracking;     // extra space between letters, in em
};

Look look_of(WordLook look) {
  switch (look) {
    case WordLook::light: return {FontStyle::sans_bold, rgb(0xffffff), rgb(0x000000), 0.55f, 2.5f, 0.02f};
    case WordLook::light_bare: return {FontStyle::sans_bold, rgb(0xfff8ec), {}, 0, 0, 0.03f};
    case WordLook::dark: return {FontStyle::sans_bold, rgb(0x000000), rgb(0xffffff), 0.35f, 2.0f, 0.02f};
    case WordLook::faint_big: return {FontStyle::sans_light, rgb(0xffffff), {}, 0, 0, 0.0f};
    case WordLook::title: return {FontStyle::serif_bold, rgb(0xffffff), {}, 0, 0, 0.25f};
    case WordLook::warm: return {FontStyle::serif_italic, rgb(0xffe7b0), rgb(0x1a0c00), 0.5f, 2.5f, 0.01f};
  }
  return look_of(WordLook::light);
}

std::unique_ptr<Font> open_font(FontStyle style) {
  Result<std::unique_ptr<Font>> font = Font::open(style);
  if (!font) throw AssetError(font.error());
  return std::move(*font);
}

}  // namespace

void draw_text(Canvas& c, const std::string& text, float x, float y, int pixel_size, Rgb colour,
               float alpha, FontStyle style) {
  const TextMask mask = open_font(style)->render(text, pixel_size);
  const int ix = static_cast<int>(std::lround(x)), iy = static_cast<int>(std::lround(y));
  for (int j = 0; j < mask.height; ++j)
    for (int i = 0; i < mask.width; ++i) c.blend(ix + i, iy + j, colour, mask.at(i, j) * alpha);
}

int text_width(const std::string& text, int pixel_size, FontStyle style) {
  return open_font(style)->render(text, pixel_size).width;
}

Canvas make_word(const Recipe& s) {
  const Look look = look_of(s.look);
  auto font = open_font(look.font);
  // Room for the halo; bare letters need none (their bitmaps hold the
  // anti-aliased fringe already).
  const int margin = look.halo_alpha > 0 ? static_cast<int>(std::ceil(look.halo_radius)) + 1 : 0;
  const TextMask mask = s.pixel_size > 0
                            ? font->render(s.text, s.pixel_size, look.tracking * s.pixel_size)
                            : font->fit(s.text, s.width - 2 * margin, s.height - 2 * margin, look.tracking);
  if (mask.width == 0) throw AssetError(std::string("text does not fit its box: ") + s.text);
  // The title fills its whole box (it is a plate drawn with replace, centred
  // on the black bar); other words are cropped to their ink.
  const bool plate = s.look == WordLook::title;
  // Words of one line share a baseline: rows above the ink put it at the
  // wanted row, whatever the letters' heights.
  const int top = s.baseline > 0 ? std::max(margin, s.baseline - mask.baseline) : margin;
  const int w = plate ? s.width : s.indent + mask.width + 2 * margin;
  const int h = plate ? s.height : top + mask.height + margin;
  const int ox = plate ? (w - mask.width) / 2 : s.indent + margin;
  const int oy = plate ? (h - mask.height) / 2 : top;

  Canvas ink(w, h, look.ink, 0.0f);
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) ink.at(x + ox, y + oy)[3] = mask.at(x, y);

  Canvas out(w, h, look.halo, 0.0f);
  if (look.halo_alpha > 0) {
    Canvas halo = ink.crop(0, 0, w, h);
    halo.blur(look.halo_radius);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) out.at(x, y)[3] = clamp01(halo.at(x, y)[3] * 1.8f) * look.halo_alpha;
  }
  out.draw(ink, 0, 0);
  if (plate) {
    // Drawn with replace: the colour of every pixel shows, so the letters
    // sit on black and the alpha still carries their coverage.
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        float* p = out.at(x, y);
        for (int k = 0; k < 3; ++k) p[k] *= p[3];
      }
  }
  return out;
}

}  // namespace assets
