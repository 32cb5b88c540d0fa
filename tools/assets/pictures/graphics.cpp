// Graphic pictures: the coverage globe, the binary strip, design overlays
// and prints, the symbol, the end screen and the thumbnails.
#include <algorithm>
#include <cmath>
#include <string>

#include "catalogue.h"
#include "families.h"

namespace assets {

namespace {
constexpr float pi_f = 3.14159265f;
}

Canvas make_coverage(const Recipe& s) {
  // A lit globe with a grid, coverage rings and a caption on transparency.
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  const float cx = w * 0.5f, cy = h * 0.44f, r = h * 0.36f;
  Canvas c(s.width, s.height, rgb(0x60a0ff), 0.0f);
  // Atmosphere: a soft blue halo behind the globe.
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / r;
      if (d > 1 && d < 1.35f) c.blend(x, y, rgb(0x70b8ff), std::pow(1 - (d - 1) / 0.35f, 2.0f) * 0.7f);
    }
  const float spin = 0.6f;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const float nx = (x + 0.5f - cx) / r, ny = (y + 0.5f - cy) / r;
      const float d2 = nx * nx + ny * ny;
      if (d2 >= 1) continue;
      const float nz = std::sqrt(1 - d2);
      const float lat = std::asin(-ny), lon = std::atan2(nx, nz) + spin;
      const float land = fbm(lon * 1.6f, lat * 2.2f, 0x83, 5);
      Rgb col = land > 0.08f ? mix(rgb(0x4a7a3a), rgb(0xa08a5a), clamp01((land - 0.08f) * 4))
                             : mix(rgb(0x0a2a6a), rgb(0x1a5aa0), clamp01(land + 0.6f));
      if (std::fabs(lat) > 1.2f) col = rgb(0xe8f0f8);  // ice caps
      const bool grid = std::fmod(std::fabs(lat) * 180 / pi_f + 0.6f, 15.0f) < 1.2f ||
                        std::fmod(std::fabs(lon) * 180 / pi_f + 0.6f, 15.0f) < 1.2f;
      if (grid) col = mix(col, rgb(0xbfe6ff), 0.35f);
      const float light = clamp01(0.15f + 0.95f * (-0.5f * nx - 0.45f * ny + 0.74f * nz));
      const float edge = clamp01((1 - std::sqrt(d2)) * r);  // anti-aliased rim
      c.blend(x, y, add(scale(col, light), scale(rgb(0x80c0ff), std::pow(1 - nz, 3.0f) * 0.6f)), edge);
    }
  // Coverage: rings around three transmitter sites on the lit side.
  const Pt sites[] = {{cx - r * 0.35f, cy - r * 0.2f}, {cx + r * 0.1f, cy + r * 0.25f}, {cx - r * 0.05f, cy - r * 0.55f}};
  for (const Pt& p : sites) {
    c.fill_circle(p.x, p.y, 2.5f, rgb(0xffffff));
    for (int k = 1; k <= 4; ++k) {
      const float rr = k * 11.0f;
      for (int seg = 0; seg < 48; ++seg) {
        const float a0 = seg * 2 * pi_f / 48, a1 = (seg + 1) * 2 * pi_f / 48;
        c.line(p.x + std::cos(a0) * rr, p.y + std::sin(a0) * rr * 0.8f, p.x + std::cos(a1) * rr,
               p.y + std::sin(a1) * rr * 0.8f, 1.2f, rgb(0xffe070), 0.9f - k * 0.18f);
      }
    }
  }
  // Two satellite orbits crossing in front of the globe.
  for (int o = 0; o < 2; ++o) {
    const float tilt = o ? -0.35f : 0.25f;
    for (int seg = 0; seg < 120; ++seg) {
      const float a0 = seg * 2 * pi_f / 120, a1 = (seg + 1) * 2 * pi_f / 120;
      auto at = [&](float a) { return Pt{cx + std::cos(a) * r * 1.3f, cy + std::sin(a) * r * 0.35f + std::cos(a) * r * tilt}; };
      const Pt p0 = at(a0), p1 = at(a1);
      const bool behind = std::sin(a0) < 0 && std::hypot(p0.x - cx, p0.y - cy) < r;
      if (!behind) c.line(p0.x, p0.y, p1.x, p1.y, 1.1f, rgb(0xffffff), 0.6f);
    }
    const Pt sat{cx + std::cos(0.8f + o * 2.4f) * r * 1.3f,
                 cy + std::sin(0.8f + o * 2.4f) * r * 0.35f + std::cos(0.8f + o * 2.4f) * r * tilt};
    c.fill_rect(sat.x - 7, sat.y - 1.5f, sat.x + 7, sat.y + 1.5f, rgb(0x4080ff));
    c.fill_rect(sat.x - 2, sat.y - 3, sat.x + 2, sat.y + 3, rgb(0xe0e0e0));
  }
  const std::string caption = "global coverage";
  const int tw = text_width(caption, 30);
  draw_text(c, caption, (w - tw) / 2 + 2, h - 44, 30, rgb(0x000000), 0.5f);
  draw_text(c, caption, (w - tw) / 2, h - 46, 30, rgb(0xffffff));
  return c;
}

Canvas make_binary(const Recipe& s) {
  // Lines of binary digits, 11 rows apart: the strip scrolls by whole lines.
  Canvas c(s.width, s.height, rgb(0x80ffa0), 0.0f);
  Rng rng(0x113);
  for (int line = 0; line * 11 < s.height; ++line) {
    std::string bits;
    for (int k = 0; k < 16; ++k) bits += rng.below(2) ? '1' : '0';
    draw_text(c, bits, 1, line * 11.0f + 2, 9, line % 3 == 0 ? rgb(0xffffff) : rgb(0x80ffa0), 1, FontStyle::mono_bold);
  }
  return c;
}

Canvas make_design_overlay(const Recipe& s) {
  // Technical line art on transparency: a grid, circles with cross hairs,
  // dimension lines and small labels.
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  Canvas c(s.width, s.height, rgb(0xffffff), 0.0f);
  const Rgb ink = s.variant == 0 ? rgb(0xffffff) : rgb(0xa0e8ff);
  for (float x = 0; x < w; x += 20) c.line(x, 0, x, h, 0.6f, ink, 0.35f);
  for (float y = 0; y < h; y += 20) c.line(0, y, w, y, 0.6f, ink, 0.35f);
  Rng rng(0x209 + s.variant);
  for (int i = 0; i < 5; ++i) {
    const float cx = rng.range(40, w - 40), cy = rng.range(40, h - 40), r = rng.range(18, 70);
    for (int seg = 0; seg < 64; ++seg) {
      const float a0 = seg * 2 * pi_f / 64, a1 = (seg + 1) * 2 * pi_f / 64;
      c.line(cx + std::cos(a0) * r, cy + std::sin(a0) * r, cx + std::cos(a1) * r, cy + std::sin(a1) * r, 1.5f, ink);
    }
    c.line(cx - r - 10, cy, cx + r + 10, cy, 1, ink);
    c.line(cx, cy - r - 10, cx, cy + r + 10, 1, ink);
    std::string label = "R";
    label += std::to_string(static_cast<int>(r));
    draw_text(c, label, cx + r * 0.7f + 4, cy - r * 0.7f - 12, 10, ink);
  }
  for (int i = 0; i < 4; ++i) {  // dimension lines with arrow ticks
    const float y = rng.range(10, h - 10), x0 = rng.range(0, w / 2), x1 = x0 + rng.range(60, w / 2);
    c.line(x0, y, x1, y, 1, ink);
    c.line(x0, y - 5, x0, y + 5, 1, ink);
    c.line(x1, y - 5, x1, y + 5, 1, ink);
    draw_text(c, std::to_string(static_cast<int>(x1 - x0)) + ".0", (x0 + x1) / 2 - 10, y - 14, 10, ink);
  }
  draw_text(c, s.variant == 0 ? "SAVA / SHEET 3" : "SAVA / SHEET 4", w - 130, h - 20, 12, ink);
  return c;
}

Canvas make_design_print(const Recipe& s) {
  // Bold prints on black (they are added onto the screen): rings, stripes,
  // a triangle fan and a grid of dots, one per picture.
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  Canvas c(s.width, s.height, rgb(0x000000));
  const Rgb colours[4] = {rgb(0xff5020), rgb(0x20a0ff), rgb(0xffd020), rgb(0xff2080)};
  const Rgb col = colours[s.variant % 4];
  switch (s.variant % 4) {
    case 0:
      for (int k = 12; k > 0; --k) c.fill_circle(w * 0.35f, h * 0.5f, k * 14.0f, k % 2 ? col : rgb(0x000000));
      break;
    case 1:
      for (int k = 0; k < 16; ++k) {
        const float x = k * 30.0f - 60;
        c.fill_polygon({{x, 0}, {x + 14, 0}, {x + 74, h}, {x + 60, h}}, col);
      }
      break;
    case 2:
      for (int k = 0; k < 12; ++k) {
        const float a0 = k * pi_f / 6, a1 = a0 + pi_f / 12;
        c.fill_polygon({{w * 0.6f, h * 0.5f}, {w * 0.6f + std::cos(a0) * 400, h * 0.5f + std::sin(a0) * 400},
                        {w * 0.6f + std::cos(a1) * 400, h * 0.5f + std::sin(a1) * 400}},
                       col);
      }
      break;
    default:
      for (float y = 15; y < h; y += 30)
        for (float x = 15; x < w; x += 30) c.fill_circle(x, y, 4 + 8 * (x / w) * (y / h) + 2, col);
      break;
  }
  draw_text(c, "sava 2002", w - 110, h - 30, 16, rgb(0xffffff), 0.8f);
  c.grain(0x2110 + s.variant, 0.03f);
  return c;
}

Canvas make_symbol(const Recipe& s) {
  // The group's mark: a broken ring around three bars.
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  const float cx = w / 2, cy = h / 2, r = w * 0.42f;
  Canvas c(s.width, s.height, rgb(0xffffff), 0.0f);
  for (int seg = 0; seg < 90; ++seg) {
    const float a0 = 0.5f + seg * 1.75f * pi_f / 90, a1 = 0.5f + (seg + 1) * 1.75f * pi_f / 90;
    c.line(cx + std::cos(a0) * r, cy + std::sin(a0) * r, cx + std::cos(a1) * r, cy + std::sin(a1) * r, 4, rgb(0xffffff));
  }
  for (int k = 0; k < 3; ++k) {
    const float x = cx - 12 + k * 12, top = cy - 6 - k * 5;
    c.fill_rect(x - 3.5f, top, x + 3.5f, cy + 12, k == 2 ? rgb(0xff8020) : rgb(0xffffff));
  }
  return c;
}

Canvas make_end_screen(const Recipe& s) {
  // Night over a mirror-smooth plain with a glowing horizon and the title.
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  const float horizon = h * 0.62f;
  Canvas c(s.width, s.height);
  c.shade([&](float x, float y) {
    if (y < horizon) {
      const float t = y / horizon;
      Rgb sky = mix(rgb(0x02030c), rgb(0x3a1830), t * t);
      sky = add(sky, scale(rgb(0xff7030), std::exp(-(horizon - y) / 18.0f) * 0.8f));
      return sky;
    }
    // Perspective grid on the ground.
    const float z = 40.0f / (y - horizon + 0.5f);
    const float gx = (x - w / 2) * z / 40.0f;
    const float line_x = std::fabs(std::fmod(std::fabs(gx) + 0.5f, 1.0f) - 0.5f);
    const float line_z = std::fabs(std::fmod(z * 2.0f, 1.0f) - 0.5f);
    const float glow = clamp01(1 - line_x * 60 / (1 + z)) + clamp01(1 - (0.5f - line_z) * 60 / (1 + z * 2));
    Rgb ground = scale(rgb(0x1a0818), 1 - (y - horizon) / (h - horizon) * 0.5f);
    return add(ground, scale(rgb(0xff4080), clamp01(glow) * std::exp(-z * 0.08f)));
  });
  Rng rng(0x223);
  for (int i = 0; i < 120; ++i)
    c.fill_circle(rng.range(0, w), rng.range(0, horizon * 0.8f), rng.range(0.4f, 1.1f), rgb(0xffffff), rng.range(0.3f, 1.0f));
  c.glow(w / 2, horizon, w * 0.6f, rgb(0xff6020), 0.35f);
  // Title with a glow, credits line below.
  const std::string title = "s\xC3\xA4v\xC3\xA4";
  const int size = 64;
  const int tw = text_width(title, size, FontStyle::serif_bold);
  Canvas glow(s.width, s.height, rgb(0xffa060), 0.0f);
  draw_text(glow, title, (w - tw) / 2, h * 0.2f, size, rgb(0xffa060), 1, FontStyle::serif_bold);
  glow.blur(8);
  c.draw_add(glow, 0, 0, 1.2f);
  draw_text(c, title, (w - tw) / 2, h * 0.2f, size, rgb(0xfff4e8), 1, FontStyle::serif_bold);
  const std::string line = "yrH ToLVaS  \xC2\xB7  convexa 2002";
  draw_text(c, line, (w - text_width(line, 14)) / 2, h * 0.48f, 14, rgb(0xe8d8d0), 0.9f);
  finish_photo(c, 0x2231, 0.3f, 0.02f);
  return c;
}

Canvas make_thumbnail(const Recipe& s) {
  // A square detail of the parent photograph in a thin white frame with
  // rounded, transparent corners. Each of a slot's pictures shows another
  // part of the photograph.
  const Canvas& parent = shared_render(s.parent);
  const int side = std::min(parent.height(), parent.width()) * 3 / 5;
  const int steps = std::max(1, s.frames - 1);
  const int x = (parent.width() - side) * s.frame / steps;
  // Rows around the lower middle, where the ground and the buildings are.
  const int y = (parent.height() - side) * (2 + (s.frame * 7) % 3) / 4;
  Canvas detail = parent.crop(x, y, side, side).resized(s.width - 2, s.height - 2);
  Canvas c(s.width, s.height, rgb(0xffffff), 0.0f);
  c.fill_round_rect(0, 0, static_cast<float>(s.width), static_cast<float>(s.height), 3, rgb(0xffffff), 0.9f, 1);
  c.draw(detail, 1, 1);
  return c;
}

}  // namespace assets
