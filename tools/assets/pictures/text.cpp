#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assets {

namespace {

const char* const font_dirs[] = {
    "/usr/share/fonts/truetype/dejavu/",
    "/usr/share/fonts/dejavu/",
    "/usr/local/share/fonts/",
};

const char* font_file(FontStyle style) {
  switch (style) {
    case FontStyle::sans_bold: return "DejaVuSans-Bold.ttf";
    case FontStyle::sans: return "DejaVuSans.ttf";
    case FontStyle::sans_light: return "DejaVuSans-ExtraLight.ttf";
    case FontStyle::serif_bold: return "DejaVuSerif-Bold.ttf";
    case FontStyle::serif_italic: return "DejaVuSerif-Italic.ttf";
    case FontStyle::condensed_bold: return "DejaVuSansCondensed-Bold.ttf";
    case FontStyle::mono_bold: return "DejaVuSansMono-Bold.ttf";
  }
  return "DejaVuSans.ttf";
}

// The Debian package that holds a font file: the light, serif and condensed
// faces are not in the core set.
const char* font_package(FontStyle style) {
  switch (style) {
    case FontStyle::sans_light:
    case FontStyle::serif_italic:
    case FontStyle::condensed_bold: return "fonts-dejavu-extra";
    case FontStyle::serif_bold:
    case FontStyle::sans_bold:
    case FontStyle::sans:
    case FontStyle::mono_bold: break;
  }
  return "fonts-dejavu-core";
}

std::vector<uint32_t> decode_utf8(const std::string& s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
    ++i;
    for (; extra > 0 && i < s.size(); --extra, ++i) cp = (cp << 6) | (s[i] & 0x3F);
    out.push_back(cp);
  }
  return out;
}

}  // namespace

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

Result<std::unique_ptr<Font>> Font::open(FontStyle style) {
  auto* impl = new Impl;
  std::unique_ptr<Font> font(new Font(impl));
  if (FT_Init_FreeType(&impl->library) != 0) return Failure{"cannot initialise FreeType"};
  for (const char* dir : font_dirs) {
    const std::string path = std::string(dir) + font_file(style);
    if (FT_New_Face(impl->library, path.c_str(), 0, &impl->face) == 0) return font;
    impl->face = nullptr;
  }
  return Failure{std::string("font ") + font_file(style) + " not found (install the Debian package " +
                 font_package(style) + ")"};
}

Font::~Font() {
  if (impl_->face != nullptr) FT_Done_Face(impl_->face);
  if (impl_->library != nullptr) FT_Done_FreeType(impl_->library);
  delete impl_;
}

TextMask Font::render(const std::string& utf8, int pixel_size, float tracking) const {
  FT_Face face = impl_->face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
  const std::vector<uint32_t> text = decode_utf8(utf8);
  // Generous canvas: every glyph fits in 2 em.
  const int pad = pixel_size;
  const int w = static_cast<int>(text.size()) * pixel_size * 2 + 2 * pad;
  const int h = pixel_size * 3;
  const int baseline = pixel_size * 2;
  std::vector<float> buf(static_cast<size_t>(w) * h, 0.0f);
  float pen = static_cast<float>(pad);
  FT_UInt previous = 0;
  for (uint32_t cp : text) {
    const FT_UInt glyph = FT_Get_Char_Index(face, cp);
    if (previous != 0 && glyph != 0 && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern) == 0)
        pen += kern.x / 64.0f;
    }
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != 0) continue;
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
    const FT_Bitmap& bm = face->glyph->bitmap;
    const int ox = static_cast<int>(std::lround(pen)) + face->glyph->bitmap_left;
    const int oy = baseline - face->glyph->bitmap_top;
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c) {
        const int x = ox + static_cast<int>(c), y = oy + static_cast<int>(r);
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        float& v = buf[static_cast<size_t>(y) * w + x];
        v = std::min(1.0f, v + bm.buffer[r * bm.pitch + c] / 255.0f);
      }
    pen += face->glyph->advance.x / 64.0f + tracking;
    previous = glyph;
  }
  int x0 = w, y0 = h, x1 = -1, y1 = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (buf[static_cast<size_t>(y) * w + x] > 0) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  TextMask mask;
  if (x1 < 0) return mask;
  mask.width = x1 - x0 + 1;
  mask.height = y1 - y0 + 1;
  mask.baseline = baseline - y0;
  mask.coverage.resize(static_cast<size_t>(mask.width) * mask.height);
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x)
      mask.coverage[static_cast<size_t>(y) * mask.width + x] =
          buf[static_cast<size_t>(y + y0) * w + x + x0];
  return mask;
}

TextMask Font::fit(const std::string& utf8, int max_w, int max_h, float tracking_em) const {
  int lo = 4, hi = 160;
  TextMask best = render(utf8, lo, tracking_em * lo);
  if (best.width > max_w || best.height > max_h) return TextMask{};  // nothing fits
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    TextMask m = render(utf8, mid, tracking_em * mid);
    if (m.width <= max_w && m.height <= max_h) {
      lo = mid;
      best = std::move(m);
    } else {
      hi = mid - 1;
    }
  }
  return best;
}

}  // namespace assets
