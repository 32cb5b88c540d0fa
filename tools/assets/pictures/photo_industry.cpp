// Industrial landscapes: factories, cranes, a shipyard and a power station.
#include <cmath>

#include "families.h"
#include "scenery.h"

namespace assets {

namespace {

enum Kind { factory, crane, shipyard, power };

struct Setting {
  Kind kind;
  int mood;
  float horizon;  // fraction of the height
  uint32_t seed;
};

// Variants in store order: factory1..4 (0..3), crane1..2 (4, 5), shipyard (6),
// power station (7); 8 is factory1 seen closer with a cold grade.
constexpr Setting settings[] = {
    {factory, 0, 0.70f, 11}, {factory, 1, 0.66f, 23}, {factory, 2, 0.72f, 37},
    {factory, 3, 0.68f, 41}, {crane, 0, 0.78f, 53},   {crane, 1, 0.74f, 67},
    {shipyard, 3, 0.56f, 71}, {power, 0, 0.72f, 83},
};

void ground(Canvas& c, const SkyLight& sky, float horizon, uint32_t seed) {
  const int h = c.height();
  const Rgb near = scale(sky.cloud_dark, 0.35f), far = mix(sky.cloud_dark, sky.horizon, 0.3f);
  for (int y = static_cast<int>(horizon); y < h; ++y) {
    const float t = clamp01((y - horizon) / (h - horizon));
    for (int x = 0; x < c.width(); ++x) {
      const float n = fbm(x / (8.0f + 30 * (1 - t)), y / 4.0f, seed, 4);
      const Rgb col = scale(mix(far, near, std::sqrt(t)), 0.8f + 0.3f * n);
      c.blend(x, y, col, 1);
    }
  }
  // Tracks or a road edge: perspective lines to a vanishing point.
  Rng rng(seed);
  const float vx = c.width() * rng.range(0.3f, 0.7f);
  for (int i = 0; i < 5; ++i) {
    const float bx = c.width() * (i / 4.0f) * 1.6f - c.width() * 0.3f;
    c.line(vx + (bx - vx) * 0.02f, horizon + 1, bx, static_cast<float>(h), 1.2f,
           mix(sky.horizon, near, 0.6f), 0.25f);
  }
}

void hall(Canvas& c, float x0, float x1, float base, float height, Rgb wall, Rgb lit_side,
          bool sawtooth, float lit, Rng& rng) {
  const float top = base - height;
  std::vector<Pt> roof;
  roof.push_back({x0, base});
  roof.push_back({x0, top});
  if (sawtooth) {
    const int teeth = std::max(2, static_cast<int>((x1 - x0) / 22));
    const float tw = (x1 - x0) / teeth;
    for (int i = 0; i < teeth; ++i) {
      roof.push_back({x0 + tw * i + tw * 0.75f, top - 9});
      roof.push_back({x0 + tw * (i + 1), top});
    }
  } else {
    roof.push_back({(x0 + x1) / 2, top - height * 0.12f});
    roof.push_back({x1, top});
  }
  roof.push_back({x1, base});
  c.fill_polygon(roof, [&](float x, float y) {
    const float side = clamp01((x - x0) / (x1 - x0));
    const float v = clamp01((y - top + 10) / (height + 10));
    return mix(mix(lit_side, wall, side), scale(wall, 0.7f), v * 0.6f);
  });
  // Window bands.
  for (float wy = top + 6; wy < base - 8; wy += 12)
    for (float wx = x0 + 4; wx < x1 - 6; wx += 7) {
      const bool on = rng.uniform() < lit;
      const Rgb g = on ? rgb(0xffcf7a) : scale(wall, 0.6f);
      c.fill_rect(wx, wy, wx + 4, wy + 5, g, on ? 0.9f : 0.7f, 0.6f);
      if (on) c.glow(wx + 2, wy + 2.5f, 7, rgb(0xff9c40), 0.15f);
    }
}

void chimney(Canvas& c, float x, float base, float height, float width, Rgb body, Rgb light,
             const SkyLight& sky, uint32_t seed) {
  const float top = base - height;
  c.fill_polygon({{x - width / 2, base}, {x - width * 0.32f, top}, {x + width * 0.32f, top},
                  {x + width / 2, base}},
                 [&](float px, float py) {
                   const float side = clamp01((px - (x - width / 2)) / width);
                   Rgb col = mix(light, body, side);
                   // Two red and white bands near the top.
                   const float band = (py - top) / height;
                   if (band < 0.12f && static_cast<int>(band * 40) % 2 == 0)
                     col = mix(col, rgb(0xa8352c), 0.7f);
                   return col;
                 });
  plume(c, x, top, height * 1.2f, width * 2.5f, 0.9f, mix(sky.cloud_lit, sky.horizon, 0.3f), 0.8f,
        seed);
}

void tower_crane(Canvas& c, float x, float base, float height, float jib_left, float jib_right,
                 Rgb colour, float scale_k) {
  const float top = base - height;
  truss(c, {x, base}, {x, top}, 7 * scale_k, 0.8f * scale_k, colour);
  truss(c, {x - jib_left, top}, {x + jib_right, top}, 5 * scale_k, 0.7f * scale_k, colour);
  c.line(x, top - 14 * scale_k, x + jib_right * 0.9f, top - 2, 0.7f * scale_k, colour);
  c.line(x, top - 14 * scale_k, x - jib_left, top - 2, 0.7f * scale_k, colour);
  c.fill_rect(x - jib_left, top - 2, x - jib_left + 12 * scale_k, top + 6 * scale_k, colour);
  c.fill_rect(x + 2, top + 3, x + 8 * scale_k, top + 9 * scale_k, colour);
  const float hook = x + jib_right * 0.6f;
  c.line(hook, top, hook, top + height * 0.45f, 0.6f, colour);
  c.fill_rect(hook - 2, top + height * 0.45f, hook + 2, top + height * 0.45f + 4, colour);
}

// A building going up: concrete floor slabs lit on their edges, columns,
// the lower floors closed with windows, safety netting on the top floor.
void concrete_frame(Canvas& c, float x0, float x1, float base, int floors, Rgb light, Rng& rng) {
  const float storey = 13;
  const Rgb concrete = rgb(0x8a8780), shadow = rgb(0x2a2a2e);
  for (int f = 0; f < floors; ++f) {
    const float y1 = base - f * storey, y0 = y1 - storey;
    c.fill_rect(x0, y0, x1, y1, scale(shadow, 0.8f + 0.05f * f));  // the dark inside
    if (f < floors - 3) {  // closed floors: wall with a window band
      c.fill_rect(x0, y0 + 2, x1, y1, scale(concrete, 0.75f));
      for (float wx = x0 + 3; wx < x1 - 6; wx += 9) c.fill_rect(wx, y0 + 5, wx + 6, y0 + 10, rgb(0x30343c));
    }
    for (float cx = x0; cx <= x1; cx += 18) c.fill_rect(cx, y0, cx + 2.5f, y1, scale(concrete, 0.9f));
    c.fill_rect(x0 - 2, y0, x1 + 2, y0 + 2.5f, concrete);
    c.fill_rect(x0 - 2, y0, x1 + 2, y0 + 0.8f, mix(concrete, light, 0.6f));
  }
  const float top = base - floors * storey;
  c.fill_rect(x0 + (x1 - x0) * 0.55f, top - storey, x1, top, rgb(0x3a8a4a), 0.55f);  // netting
  for (float sx = x0; sx < x1; sx += 5) c.line(sx, top - storey, sx, top, 0.5f, rgb(0x101010), 0.5f);
  // Rebar sticking up from the unfinished columns.
  for (float cx = x0; cx <= x0 + (x1 - x0) * 0.5f; cx += 18) c.line(cx + 1, top, cx + 1 + rng.range(-1, 1), top - 7, 0.7f, rgb(0x4a3a30));
}

// A row of shipping containers, some stacked two high.
void containers(Canvas& c, float x0, float x1, float base, Rng& rng) {
  const Rgb paints[] = {rgb(0x9a3a28), rgb(0x2a5a8a), rgb(0xb88a30), rgb(0x4a6a4a), rgb(0x7a7a7a)};
  for (float x = x0; x < x1 - 30; x += 32) {
    const int stack = 1 + rng.below(2);
    for (int k = 0; k < stack; ++k) {
      const Rgb col = paints[rng.below(5)];
      const float y1 = base - k * 13, y0 = y1 - 12;
      c.fill_rect(x, y0, x + 30, y1, col);
      for (float rx = x + 2; rx < x + 29; rx += 2.5f) c.line(rx, y0 + 1, rx, y1 - 1, 0.6f, scale(col, 0.7f));
      c.fill_rect(x, y0, x + 30, y0 + 1, scale(col, 1.3f));
    }
  }
}

void pylon(Canvas& c, float x, float base, float height, Rgb colour) {
  const float top = base - height;
  const float w = height * 0.22f;
  truss(c, {x - w / 2, base}, {x - w / 8, top}, 3, 0.6f, colour);
  truss(c, {x + w / 2, base}, {x + w / 8, top}, 3, 0.6f, colour);
  for (int arm = 0; arm < 2; ++arm) {
    const float ay = top + height * (0.12f + arm * 0.16f);
    const float reach = w * (0.9f - arm * 0.15f);
    c.line(x - reach, ay, x + reach, ay, 1.4f, colour);
  }
}

void cooling_tower(Canvas& c, float cx, float base, float height, float width, Rgb lit, Rgb dark,
                   const SkyLight& sky, uint32_t seed) {
  std::vector<Pt> outline;
  const int steps = 24;
  auto half_width = [&](float t) {  // t 0 at the base, 1 at the rim: a waisted shell
    return width / 2 * (0.62f + 0.38f * std::pow(std::fabs(t - 0.72f) / 0.72f, 1.6f));
  };
  for (int i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / steps;
    outline.push_back({cx - half_width(t), base - t * height});
  }
  for (int i = steps; i >= 0; --i) {
    const float t = static_cast<float>(i) / steps;
    outline.push_back({cx + half_width(t), base - t * height});
  }
  c.fill_polygon(outline, [&](float x, float y) {
    const float t = clamp01((base - y) / height);
    const float u = (x - cx) / half_width(t);  // -1 .. 1 across the shell
    const float light = clamp01(0.55f - 0.45f * u + 0.1f * std::sqrt(std::max(0.0f, 1 - u * u)));
    const float streak = 0.06f * value_noise(x / 2.5f, y / 30.0f, seed);
    return scale(mix(dark, lit, light), 0.95f + streak);
  });
  plume(c, cx, base - height + 4, height * 1.6f, width * 1.1f, 0.7f, sky.cloud_lit, 1.0f, seed + 1);
}

Canvas render(const Setting& s, int w, int h) {
  Canvas c(w, h);
  const float horizon = h * s.horizon;
  const SkyLight sky = sky_light(s.mood, w, h, horizon);
  paint_sky(c, sky, horizon, s.seed);
  Rng rng(s.seed * 977u);
  const Rgb air = air_colour(sky, horizon, horizon);
  const Rgb body = s.mood == 2 ? rgb(0x0c0f18) : scale(sky.cloud_dark, 0.45f);
  const float night_lit = s.mood == 2 ? 0.55f : (s.mood == 0 ? 0.25f : 0.05f);

  // Far and middle skylines with aerial perspective.
  skyline(c, -10, w + 10, horizon + 2, 8, 30, mix(body, air, 0.65f), night_lit * 0.5f, s.seed + 1);
  skyline(c, -10, w + 10, horizon + 4, 6, 18, mix(body, air, 0.4f), night_lit * 0.4f, s.seed + 2);

  if (s.kind == shipyard) {
    // Distant hills, a dark hull on the slipway, a portal crane and the water.
    c.fill_polygon({{0, horizon}, {w * 0.2f, horizon - 24}, {w * 0.45f, horizon - 10},
                    {w * 0.7f, horizon - 30}, {static_cast<float>(w), horizon - 14},
                    {static_cast<float>(w), horizon + 2}, {0, horizon + 2}},
                   mix(body, air, 0.55f));
    const float water = horizon + 26;
    const float hx0 = w * 0.18f, hx1 = w * 0.78f;
    c.fill_polygon({{hx0, water - 60}, {hx1, water - 66}, {hx1 - 30, water}, {hx0 + 18, water}},
                   [&](float x, float y) {
                     const float v = (y - (water - 66)) / 66;
                     Rgb col = v > 0.72f ? rgb(0x7a2a22) : rgb(0x2b3440);
                     col = scale(col, 0.7f + 0.5f * clamp01((x - hx0) / (hx1 - hx0)));
                     // Welded plates, and rust running down from the deck.
                     if (std::fmod(x - hx0, 26.0f) < 0.8f || std::fabs(v - 0.36f) < 0.012f) col = scale(col, 0.75f);
                     const float rust = smoothstep(0.55f, 0.9f, value_noise(x / 2.0f, 0, s.seed + 7) * 0.5f + 0.5f) *
                                        (1 - v) * 0.6f;
                     col = mix(col, rgb(0x8a4a20), rust);
                     return scale(col, 1 + 0.08f * value_noise(x / 3, y / 9, s.seed));
                   });
    c.fill_rect(hx0 + 60, water - 96, hx0 + 150, water - 64, rgb(0xd8d4c8), 1, 0.7f);
    for (float wx = hx0 + 66; wx < hx0 + 146; wx += 9) c.fill_rect(wx, water - 88, wx + 4, water - 82, rgb(0x30384a));
    const Rgb steel = scale(body, 0.8f);
    const float gx0 = w * 0.1f, gx1 = w * 0.9f, gtop = horizon - 150;
    truss(c, {gx0, water}, {gx0 + 8, gtop}, 10, 1.2f, steel);
    truss(c, {gx1, water}, {gx1 - 8, gtop}, 10, 1.2f, steel);
    truss(c, {gx0 - 10, gtop}, {gx1 + 10, gtop}, 18, 1.3f, steel);
    c.fill_rect(w * 0.45f, gtop + 9, w * 0.55f, gtop + 24, rgb(0xc8a030));
    tower_crane(c, w * 0.86f, water - 2, 130, 40, 90, steel, 0.8f);
    c.fill_rect(0, water - 2, static_cast<float>(w), water + 1, scale(body, 0.6f));
    water_reflection(c, water, scale(sky.zenith, 0.7f), s.seed + 3);
  } else {
    ground(c, sky, horizon, s.seed + 4);
    if (s.kind == factory) {
      const Rgb wall = s.mood == 2 ? rgb(0x141822) : scale(body, 1.1f);
      const Rgb lit_side = mix(wall, sky.sun, s.mood == 1 ? 0.12f : 0.3f);
      const int chimneys = 2 + static_cast<int>(s.seed % 3);
      for (int i = 0; i < chimneys; ++i)
        chimney(c, w * (0.15f + 0.7f * (i + rng.uniform() * 0.6f) / chimneys), horizon + 4,
                h * rng.range(0.35f, 0.55f), rng.range(10, 18), wall, lit_side, sky, s.seed + 10 + i);
      float x = -20;
      while (x < w) {
        const float hw = rng.range(70, 150);
        hall(c, x, x + hw, horizon + 12, rng.range(35, 70), wall, lit_side, rng.uniform() < 0.6f,
             night_lit, rng);
        x += hw + rng.range(4, 20);
      }
      // Pipe bridges.
      for (int i = 0; i < 3; ++i) {
        const float py = horizon - rng.range(10, 40);
        c.line(rng.range(0, w * 0.3f), py, rng.range(w * 0.6f, w), py, 2.2f, scale(wall, 0.8f));
      }
    } else if (s.kind == crane) {
      const Rgb steel = scale(body, 0.9f);
      // A building under construction with three cranes at different depths.
      for (int i = 0; i < 3; ++i) {
        const float depth = 0.5f + 0.25f * i;
        tower_crane(c, w * (0.2f + 0.3f * i + rng.range(-0.05f, 0.05f)), horizon + 6,
                    h * 0.55f * depth + 40, 40 * depth, 110 * depth,
                    mix(steel, air, 0.5f * (1 - depth)), depth);
      }
      concrete_frame(c, w * 0.3f, w * 0.72f, horizon + 6, 6, mix(sky.cloud_lit, sky.sun, 0.2f), rng);
      containers(c, w * 0.04f, w * 0.3f, horizon + 26, rng);
      containers(c, w * 0.74f, w * 0.98f, horizon + 30, rng);
    } else {
      // Power station: cooling towers behind a line of pylons.
      cooling_tower(c, w * 0.32f, horizon + 6, h * 0.42f, w * 0.2f, mix(sky.cloud_lit, sky.sun, 0.2f),
                    scale(sky.cloud_dark, 0.8f), sky, s.seed + 20);
      cooling_tower(c, w * 0.55f, horizon + 8, h * 0.36f, w * 0.17f, mix(sky.cloud_lit, sky.sun, 0.1f),
                    scale(sky.cloud_dark, 0.7f), sky, s.seed + 21);
      hall(c, w * 0.62f, w * 0.9f, horizon + 10, 48, body, mix(body, sky.sun, 0.25f), false, 0.1f, rng);
      chimney(c, w * 0.78f, horizon + 4, h * 0.6f, 12, body, mix(body, sky.sun, 0.3f), sky, s.seed + 22);
      const Rgb steel = scale(body, 0.6f);
      float prev_x = -40, prev_y = horizon - 40;
      for (int i = 0; i < 4; ++i) {
        const float depth = 0.6f + 0.45f * i;
        const float px = w * (0.08f + 0.3f * i), base = horizon + 10 + 22 * i;
        const float ph = 60 * depth;
        pylon(c, px, base, ph, steel);
        for (int k = -1; k <= 1; k += 2) {  // sagging lines to the previous pylon
          const float x0 = prev_x + k * 10, y0 = prev_y, x1 = px + k * ph * 0.2f, y1 = base - ph * 0.88f;
          for (int seg = 0; seg < 16; ++seg) {
            const float t0 = seg / 16.0f, t1 = (seg + 1) / 16.0f;
            const float s0 = 14 * depth * 4 * t0 * (1 - t0), s1 = 14 * depth * 4 * t1 * (1 - t1);
            c.line(x0 + (x1 - x0) * t0, y0 + (y1 - y0) * t0 + s0, x0 + (x1 - x0) * t1,
                   y0 + (y1 - y0) * t1 + s1, 0.8f, steel);
          }
        }
        prev_x = px;
        prev_y = base - ph * 0.88f;
      }
    }
  }
  return c;
}

}  // namespace

Canvas make_industry(const Recipe& s) {
  if (s.variant == 8) {
    // The first factory again, closer: a centred crop with a cold,
    // high-contrast grade.
    Canvas wide = render(settings[0], s.width + 120, s.height + 60);
    Canvas c = wide.crop(60, 30, s.width, s.height);
    c.grade(1.35f, 0.35f, rgb(0xc8dcff));
    finish_photo(c, 0x5a11 + s.variant, 0.45f, 0.03f);
    return c;
  }
  const Setting& setting = settings[s.variant];
  Canvas c = render(setting, s.width, s.height);
  c.grade(1.08f, 1.05f);
  finish_photo(c, 0x1d00 + s.variant);
  return c;
}

}  // namespace assets
