// Devices: laptops on a desk, a motherboard, a phone, a phone box, a mixing
// desk and studio equipment.
#include <algorithm>
#include <cmath>
#include <string>

#include "families.h"

namespace assets {

namespace {

// A parallelogram given by its top left corner and two edge vectors; maps
// (u, v) in 0..1 to the picture and back.
struct Quad {
  Pt o, u, v;
  Pt at(float a, float b) const { return {o.x + u.x * a + v.x * b, o.y + u.y * a + v.y * b}; }
  std::vector<Pt> outline() const { return {at(0, 0), at(1, 0), at(1, 1), at(0, 1)}; }
  Pt local(float x, float y) const {
    const float det = u.x * v.y - u.y * v.x;
    const float dx = x - o.x, dy = y - o.y;
    return {(dx * v.y - dy * v.x) / det, (u.x * dy - u.y * dx) / det};
  }
};

// What a laptop screen shows: code, a chart, a photo-like gradient or a
// desktop, chosen per frame.
Rgb screen_content(int kind, float a, float b, uint32_t seed) {
  switch (kind % 4) {
    case 0: {  // an editor with lines of code
      const int line = static_cast<int>(b * 22);
      const float indent = 0.05f + 0.06f * static_cast<float>(hash64(seed + line / 3) % 4);
      const float len = indent + 0.15f + 0.6f * static_cast<float>(hash64(seed * 7 + line) % 100) / 100.0f;
      const bool ink = a > indent && a < len && std::fmod(b * 22, 1.0f) < 0.55f;
      const Rgb bg = rgb(0x141b26);
      return ink ? mix(rgb(0x6fd3ff), rgb(0xffc66d), static_cast<float>(hash64(line + seed) % 3) / 2) : bg;
    }
    case 1: {  // a chart
      const float curve = 0.5f + 0.3f * std::sin(a * 9 + seed) * std::exp(-a) + 0.1f * value_noise(a * 30, 0, seed);
      Rgb col = rgb(0xf4f6f8);
      if (std::fabs(1 - b - curve) < 0.02f) col = rgb(0xd0402a);
      if (std::fmod(a * 10, 1.0f) < 0.03f || std::fmod(b * 8, 1.0f) < 0.03f) col = scale(col, 0.85f);
      if (1 - b < curve * 0.6f && std::fmod(a * 14, 1.0f) < 0.6f) col = mix(col, rgb(0x3a78c8), 0.8f);
      return col;
    }
    case 2: {  // a landscape picture
      const float n = fbm(a * 4, b * 3, seed, 4);
      return b < 0.5f + 0.1f * n ? mix(rgb(0x3a6ab8), rgb(0xf0c890), b * 2) : mix(rgb(0x305028), rgb(0x102010), b - 0.5f + n * 0.3f);
    }
    default: {  // a desktop with windows
      Rgb col = mix(rgb(0x1e5090), rgb(0x50a0c8), a * 0.5f + b * 0.5f);
      const float wx = 0.15f + 0.1f * (seed % 3), wy = 0.15f;
      if (a > wx && a < wx + 0.55f && b > wy && b < wy + 0.55f) col = b < wy + 0.06f ? rgb(0x2a3a58) : rgb(0xe8eaee);
      if (b > 0.93f) col = rgb(0x202428);
      return col;
    }
  }
}

void desk(Canvas& c, float top, uint32_t seed, Rgb wall, Rgb wood) {
  const float w = static_cast<float>(c.width()), h = static_cast<float>(c.height());
  c.shade([&](float x, float y) {
    if (y < top) {
      const float window = std::exp(-std::pow((x - w * 0.8f) / (w * 0.25f), 2.0f)) * smoothstep(top, 0, y);
      return add(scale(wall, 0.7f + 0.2f * fbm(x / 60, y / 60, seed, 3)), scale(rgb(0xfff2dc), window * 0.6f));
    }
    const float t = (y - top) / (h - top);
    const float grain = fbm(x / 90.0f * (1 + t), (y - top) * 3.0f / (1 + t * 4), seed + 1, 5);
    return scale(wood, 0.7f + 0.35f * grain + 0.2f * t);
  });
}

}  // namespace

Canvas make_laptop(const Recipe& s) {
  const float f = static_cast<float>(s.frame);
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  Canvas c(s.width, s.height);
  // A dim room: the laptops are added onto the motherboard, so the screen
  // and the lit keyboard carry the picture and the rest stays low.
  desk(c, h * (0.42f + 0.01f * f), 0x1a7 + s.frame / 4, rgb(0x24262e), rgb(0x4a3020));
  // The camera circles the laptop a little from frame to frame.
  const float zoom = 0.8f + 0.02f * f;
  const float cx = w * 0.5f + std::sin(f * 0.45f) * 50, by = h * 0.86f;
  const float bw = 260 * zoom, bd = 70 * zoom, skew = std::cos(f * 0.45f) * 40 * zoom;
  const Quad base{{cx - bw / 2 + skew * 0.5f, by - bd}, {bw, 0}, {-skew, bd}};
  const Quad screen{{base.o.x + 6 * zoom, base.o.y - 170 * zoom}, {bw - 12 * zoom, 0}, {8 * zoom, 165 * zoom}};
  // Shadow, base, keyboard, screen lid and display.
  std::vector<Pt> shadow = base.outline();
  for (Pt& p : shadow) p.y += 6;
  c.fill_polygon(shadow, rgb(0x000000), 0.4f);
  c.fill_polygon(base.outline(), [&](float x, float y) {
    const Pt l = base.local(x, y);
    Rgb col = mix(rgb(0xb8bcc4), rgb(0x80848c), l.y);
    const float ku = (l.x - 0.08f) / 0.84f, kv = (l.y - 0.1f) / 0.55f;
    if (ku > 0 && ku < 1 && kv > 0 && kv < 1 && std::fmod(ku * 15, 1.0f) < 0.8f && std::fmod(kv * 5, 1.0f) < 0.75f)
      col = rgb(0x26282c);
    if (l.x > 0.38f && l.x < 0.62f && l.y > 0.72f && l.y < 0.94f) col = rgb(0x9a9ea6);
    return col;
  });
  const Quad lid{{screen.o.x - 6 * zoom, screen.o.y - 6 * zoom}, {screen.u.x + 12 * zoom, 0}, {screen.v.x, screen.v.y + 8 * zoom}};
  c.fill_polygon(lid.outline(), rgb(0x2a2c30));
  const int kind = s.frame;
  c.fill_polygon(screen.outline(), [&](float x, float y) {
    const Pt l = screen.local(x, y);
    Rgb col = screen_content(kind, clamp01(l.x), clamp01(l.y), 0x5c + s.frame);
    // Reflection of the window across the glass.
    col = add(col, scale(rgb(0xffffff), 0.12f * smoothstep(0.2f, 0.0f, std::fabs(l.x - l.y * 0.6f - 0.5f))));
    return col;
  });
  // The screen lights the desk and the keyboard.
  const Pt glow_at = screen.at(0.5f, 1.0f);
  c.glow(glow_at.x, glow_at.y + 20, bw * 0.7f, rgb(0x8ab4ff), 0.25f);
  c.grade(1.05f, 1.0f);
  finish_photo(c, 0x1a70 + s.frame, 0.45f);
  return c;
}

Canvas make_motherboard(const Recipe& s) {
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  Canvas c(s.width, s.height);
  c.shade([&](float x, float y) {
    const float n = fbm(x / 40, y / 40, 0x3b, 3);
    return scale(rgb(0x14522c), 0.8f + 0.15f * n);
  });
  Rng rng(0x3b0a);
  // Copper traces: runs of horizontal, vertical and 45 degree segments.
  for (int i = 0; i < 140; ++i) {
    float x = rng.range(0, w), y = rng.range(0, h);
    int dir = rng.below(4);
    for (int seg = 0; seg < 4; ++seg) {
      const float len = rng.range(10, 70);
      const float dx = dir == 0 ? len : (dir == 2 ? -len : (rng.uniform() < 0.5f ? len * 0.7f : 0));
      const float dy = dir == 1 ? len : (dir == 3 ? -len : (dx == len * 0.7f ? len * 0.7f : 0));
      c.line(x, y, x + dx, y + dy, 1.3f, rgb(0x3a9a50), 0.9f);
      x += dx;
      y += dy;
      dir = (dir + (rng.uniform() < 0.5f ? 1 : 3)) % 4;
    }
    c.fill_circle(x, y, 2, rgb(0xc8b060));
  }
  // Memory slots, expansion slots, the processor socket and chips.
  for (int i = 0; i < 4; ++i) {
    const float x = w * 0.72f + i * 11;
    c.fill_rect(x, 20, x + 7, 200, rgb(0x202020));
    c.fill_rect(x + 2, 24, x + 5, 196, rgb(0x505050));
  }
  for (int i = 0; i < 3; ++i) {
    const float y = h * 0.62f + i * 26;
    c.fill_rect(30, y, 250, y + 9, rgb(0xe8e4d8));
    c.fill_rect(34, y + 3, 246, y + 6, rgb(0x303030));
  }
  c.fill_rect(w * 0.3f, 30, w * 0.3f + 100, 130, rgb(0xcfc9b8));
  c.fill_rect(w * 0.3f + 14, 44, w * 0.3f + 86, 116, rgb(0x9aa0a8));
  c.fill_rect(w * 0.3f + 18, 48, w * 0.3f + 82, 112, rgb(0xc0c6ce));
  for (int i = 0; i < 12; ++i) {
    const float x = rng.range(10, w - 40), y = rng.range(10, h - 30);
    const float cw = rng.range(14, 32), ch = rng.range(10, 22);
    c.fill_rect(x + 2, y + 2, x + cw + 2, y + ch + 2, rgb(0x000000), 0.4f);
    c.fill_rect(x, y, x + cw, y + ch, rgb(0x1a1a1c));
    for (float px = x + 2; px < x + cw - 1; px += 3) {
      c.fill_rect(px, y - 2, px + 1.2f, y, rgb(0xd0d0d0));
      c.fill_rect(px, y + ch, px + 1.2f, y + ch + 2, rgb(0xd0d0d0));
    }
    c.fill_circle(x + 3, y + 3, 1, rgb(0x505050));
  }
  // Electrolytic capacitors: cylinders from above with a cross on the lid.
  for (int i = 0; i < 18; ++i) {
    const float x = rng.range(w * 0.2f, w * 0.65f), y = rng.range(h * 0.05f, h * 0.55f);
    const float r = rng.range(5, 8);
    c.fill_circle(x + 2, y + 2, r, rgb(0x000000), 0.5f);
    c.fill_circle(x, y, r, rgb(0x2a3c8a));
    c.fill_circle(x - r * 0.2f, y - r * 0.2f, r * 0.75f, rgb(0xb8bcc8));
    c.line(x - r * 0.5f, y, x + r * 0.5f, y, 0.8f, rgb(0x606870));
    c.line(x, y - r * 0.5f, x, y + r * 0.5f, 0.8f, rgb(0x606870));
  }
  draw_text(c, "SAVA-2002 REV 1.1", 24, h - 22, 10, rgb(0xf0f0e0), 0.8f);
  // A raking light from the upper left.
  c.modulate([&](float x, float y) { return 0.75f + 0.45f * clamp01(1 - (x / w + y / h) * 0.6f); });
  c.glow(w * 0.2f, h * 0.15f, w * 0.5f, rgb(0xfff2d0), 0.15f);
  finish_photo(c, 0x3b0b, 0.4f, 0.02f);
  return c;
}

Canvas make_phone(const Recipe& s) {
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  Canvas c(s.width, s.height);
  c.shade([&](float x, float y) {  // a dark table with a soft light pool
    const float d = std::hypot((x - w * 0.45f) / w, (y - h * 0.4f) / h);
    return scale(rgb(0x3a3430), (0.5f + 0.7f * std::exp(-d * d * 6)) * (0.9f + 0.1f * fbm(x / 20, y / 20, 0x81, 4)));
  });
  const float cx = w * 0.5f, top = 18, bottom = h - 14, pw = 128;
  c.fill_round_rect(cx - pw / 2 + 10, top + 10, cx + pw / 2 + 10, bottom + 8, 28, rgb(0x000000), 0.5f, 10);
  c.fill_round_rect(cx - pw / 2, top, cx + pw / 2, bottom, 26, rgb(0x23262c));
  c.fill_round_rect(cx - pw / 2 + 3, top + 3, cx + pw / 2 - 3, bottom - 3, 24, rgb(0x3a3f48));
  c.line(cx - pw / 2 + 14, top + 8, cx - pw / 2 + 6, bottom - 30, 3, rgb(0xffffff), 0.18f);
  // Earpiece, the screen with a signal bar and a clock, and the keypad.
  c.fill_round_rect(cx - 18, top + 14, cx + 18, top + 19, 2, rgb(0x101010));
  const float sx0 = cx - 46, sx1 = cx + 46, sy0 = top + 30, sy1 = top + 112;
  c.fill_rect(sx0 - 4, sy0 - 4, sx1 + 4, sy1 + 4, rgb(0x15171a));
  c.fill_rect_gradient(sx0, sy0, sx1, sy1, rgb(0xb8d8a0), rgb(0x88b070));
  for (int i = 0; i < 5; ++i) c.fill_rect(sx0 + 4, sy0 + 50 - i * 8, sx0 + 8 + i * 1.5f, sy0 + 55 - i * 8, rgb(0x1c2818));
  draw_text(c, "12:47", sx0 + 24, sy0 + 16, 20, rgb(0x1c2818));
  draw_text(c, "SAVA", sx0 + 30, sy0 + 56, 12, rgb(0x1c2818));
  const char* keys[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "0", "#"};
  for (int k = 0; k < 12; ++k) {
    const float kx = cx - 38 + (k % 3) * 38, ky = top + 150 + (k / 3) * 26;
    c.fill_round_rect(kx - 14, ky - 9, kx + 14, ky + 9, 8, rgb(0x5c626c));
    c.fill_round_rect(kx - 13, ky - 9, kx + 13, ky + 5, 7, rgb(0x7a818c));
    draw_text(c, keys[k], kx - 3, ky - 6, 10, rgb(0xf0f0f0));
  }
  c.fill_round_rect(cx - 40, top + 120, cx + 40, top + 138, 9, rgb(0x6a7280));
  c.grade(1.05f, 1.05f);
  finish_photo(c, 0x8181, 0.5f);
  return c;
}

Canvas make_phonebox(const Recipe& s) {
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  Canvas c(s.width, s.height, rgb(0x202020), 0.0f);
  const Rgb frame = rgb(0x9a2a22), dark = rgb(0x5a1410);
  // Roof with a lit sign, four glass panes in a red frame, the phone inside.
  c.fill_round_rect(2, 2, w - 2, 34, 6, dark);
  c.fill_rect(10, 10, w - 10, 28, rgb(0xf4f0e0));
  draw_text(c, "PUHELIN", 18, 12, 14, rgb(0x202020), 1, FontStyle::condensed_bold);
  c.fill_rect(6, 34, w - 6, h - 4, frame);
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 2; ++col) {
      const float x0 = 14 + col * (w - 28) / 2 + (col ? 3 : 0), x1 = 14 + (col + 1) * (w - 28) / 2 - (col ? 0 : 3);
      const float y0 = 44 + row * 58, y1 = y0 + 52;
      for (int y = static_cast<int>(y0); y < static_cast<int>(y1); ++y)
        for (int x = static_cast<int>(x0); x < static_cast<int>(x1); ++x) {
          float* p = c.at(x, y);
          const float streak = smoothstep(0.1f, 0.0f, std::fabs((x - x0) / (x1 - x0) - (y - y0) / 200.0f - 0.3f));
          p[0] = 0.55f + 0.4f * streak;
          p[1] = 0.62f + 0.35f * streak;
          p[2] = 0.7f + 0.3f * streak;
          p[3] = 0.35f + 0.4f * streak;
        }
    }
  c.fill_rect(w * 0.38f, 110, w * 0.62f, 160, rgb(0x202226), 0.8f);
  c.fill_round_rect(w * 0.4f, 100, w * 0.6f, 108, 3, rgb(0x101010), 0.85f);
  c.fill_rect(8, h - 18, w - 8, h - 4, dark);
  c.line(8, 36, 8, h - 6, 2, rgb(0xd06050), 0.8f);
  return c;
}

Canvas make_mixer(const Recipe& s) {
  // A mixing desk from above in the dark, lit by its own meters. Frames move
  // the faders and the meter levels.
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  Canvas c(s.width, s.height);
  c.shade([&](float x, float y) { return scale(rgb(0x1a1c22), 0.5f + 0.2f * fbm(x / 50, y / 50, 0x216, 3) + 0.3f * y / h); });
  Rng rng(0x2160 + s.frame);
  const int strips = 12;
  const float sw = w / strips;
  for (int i = 0; i < strips; ++i) {
    const float x = i * sw + sw / 2;
    c.fill_rect(i * sw + 1, 0, (i + 1) * sw - 1, h, rgb(0x2c3038), 0.9f);
    for (int k = 0; k < 4; ++k) {  // knobs with a pointer
      const float ky = 22 + k * 30, a = rng.range(-2.4f, 2.4f);
      c.fill_circle(x, ky + 1, 10, rgb(0x000000), 0.5f);
      c.fill_circle(x, ky, 9, k == 0 ? rgb(0xb03028) : rgb(0x4a5060));
      c.fill_circle(x - 2, ky - 2, 5, rgb(0xffffff), 0.15f);
      c.line(x, ky, x + std::sin(a) * 8, ky - std::cos(a) * 8, 1.6f, rgb(0xf0f0f0));
    }
    const float level = clamp01(0.3f + 0.6f * std::fabs(std::sin(i * 1.7f + s.frame * 1.3f)));
    for (int led = 0; led < 14; ++led) {  // level meter
      const float ly = 240 - led * 8;
      const Rgb col = led < 9 ? rgb(0x40ff60) : (led < 12 ? rgb(0xffd030) : rgb(0xff3020));
      const bool on = led < level * 14;
      c.fill_rect(x + 8, ly, x + 14, ly + 5, col, on ? 1.0f : 0.12f);
      if (on) c.glow(x + 11, ly + 2.5f, 12, col, 0.25f);
    }
    c.fill_rect(x - 1.5f, 150, x + 1.5f, 280, rgb(0x080808));  // fader slot and cap
    const float fy = 160 + 110 * (1 - level);
    c.fill_round_rect(x - 10, fy - 6, x + 10, fy + 6, 2, rgb(0xd8dade));
    c.line(x - 9, fy, x + 9, fy, 1.2f, rgb(0x202020));
  }
  finish_photo(c, 0x2161 + s.frame, 0.5f);
  return c;
}

Canvas make_equipment(const Recipe& s) {
  // eps (variant 0): a sampling keyboard; x51, x52 (1, 2): the same rack of
  // synthesizer modules with different lights.
  const float w = static_cast<float>(s.width);
  Canvas c(s.width, s.height, rgb(0x08090c));
  Rng rng(0x2200 + s.variant);
  if (s.variant == 0) {
    c.fill_polygon({{20, 60}, {w - 20, 60}, {w - 4, 150}, {4, 150}}, rgb(0x3a3e46));
    c.fill_rect(40, 76, 150, 110, rgb(0x0a1a10));
    draw_text(c, "EPS 16+", 48, 84, 14, rgb(0x60ff80));
    for (int k = 0; k < 10; ++k) c.fill_circle(180 + k * 20, 92, 5, rgb(0x9aa0aa));
    const int keys = 36;
    for (int k = 0; k < keys; ++k) {  // white keys in perspective
      const float t0 = static_cast<float>(k) / keys, t1 = static_cast<float>(k + 1) / keys;
      c.fill_polygon({{4 + t0 * (w - 8), 150}, {4 + t1 * (w - 8) - 1, 150},
                      {t1 * w - 1, 290}, {t0 * w, 290}},
                     [&](float, float y) { return mix(rgb(0xe8e6e0), rgb(0xb8b6b0), (y - 150) / 140); });
      const int n = k % 7;
      if (n != 2 && n != 6 && k < keys - 1) {
        const float bx = 4 + t1 * (w - 8);
        c.fill_polygon({{bx - 4, 150}, {bx + 4, 150}, {bx + 5.5f, 230}, {bx - 5.5f, 230}}, rgb(0x141414));
      }
    }
  } else {
    for (int unit = 0; unit < 5; ++unit) {
      const float y0 = 12 + unit * 56, y1 = y0 + 50;
      c.fill_rect(10, y0, w - 10, y1, rgb(0x2a2d34));
      c.fill_rect(10, y0, w - 10, y0 + 2, rgb(0x6a707c));
      for (float sx = 16; sx < w - 16; sx += w - 40) c.fill_circle(sx + 4, y0 + 8, 2.5f, rgb(0xa0a4ac));
      c.fill_rect(40, y0 + 12, 130, y1 - 12, rgb(0x101a24));
      std::string label = "X5";
      label += std::to_string(unit + 1);
      draw_text(c, label, 50, y0 + 16, 14, s.variant == 1 ? rgb(0x60c0ff) : rgb(0xff8040));
      for (int k = 0; k < 8; ++k) {
        const float kx = 150 + k * 28, ky = y0 + 25;
        c.fill_circle(kx, ky, 8, rgb(0x4a4e58));
        const float a = rng.range(-2.3f, 2.3f);
        c.line(kx, ky, kx + std::sin(a) * 7, ky - std::cos(a) * 7, 1.4f, rgb(0xf0f0f0));
        const bool on = (k + unit + s.variant) % 3 == 0;
        const Rgb led = s.variant == 1 ? rgb(0x40ff70) : rgb(0xff4030);
        c.fill_circle(kx, ky + 14, 2, led, on ? 1.0f : 0.15f);
        if (on) c.glow(kx, ky + 14, 10, led, 0.4f);
      }
    }
  }
  finish_photo(c, 0x2201 + s.variant, 0.5f);
  return c;
}

}  // namespace assets
