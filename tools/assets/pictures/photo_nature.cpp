// An eye, water, a northern lake panorama, a glass of beer, a series of night
// photographs and concert lights.
#include <algorithm>
#include <cmath>

#include "families.h"
#include "scenery.h"

namespace assets {

namespace {
constexpr float tau = 6.2831853f;
}

Canvas make_eye(const Recipe& s) {
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  // The picture's centre, where the zoom ends, lies in the iris beside the
  // pupil, so the last frames show fibres rather than black.
  const float iris = h * 0.21f, pupil = iris * 0.36f;
  const float cx = w * 0.5f + iris * 0.6f, cy = h * 0.52f;
  const float ew = w * 0.42f, eh = h * 0.26f;  // half extents of the opening
  Canvas c(s.width, s.height);
  c.shade([&](float x, float y) {
    const float u = (x - cx) / ew, v = (y - cy) / eh;
    // Lids: two arcs meeting at the corners.
    const float top = -(1 - u * u) * 1.0f - 0.05f, bottom = (1 - u * u) * 0.75f;
    const bool open = std::fabs(u) < 1 && v > top && v < bottom;
    const float pores = fbm(x / 3.0f, y / 3.0f, 0x114, 3) * 0.06f;
    const Rgb skin = scale(rgb(0xc99478), 0.75f + 0.25f * (1 - std::fabs(v) * 0.3f) + pores);
    if (!open) {
      // Lid crease and shadow just outside the opening.
      const float crease = std::exp(-std::pow((v - (top - 0.55f)) * 6, 2.0f)) * (1 - u * u);
      const float near = std::exp(-std::max(0.0f, std::max(top - v, v - bottom)) * 12);
      return scale(skin, 1 - 0.35f * crease - 0.3f * near);
    }
    const float dx = x - cx, dy = y - cy, r = std::sqrt(dx * dx + dy * dy);
    const float edge_shadow = smoothstep(0.0f, 0.35f, std::min(v - top, bottom - v));
    if (r > iris) {
      // Sclera with faint veins, darker towards the corners.
      const float vein = std::pow(ridged(x / 40.0f, y / 40.0f, 0x115, 4), 6.0f) * 0.5f;
      Rgb white = mix(rgb(0xf2ece6), rgb(0xc8a8a0), std::fabs(u) * 0.5f);
      white = mix(white, rgb(0xc04040), vein * std::fabs(u));
      return scale(white, 0.55f + 0.45f * edge_shadow);
    }
    // Iris: radial fibres, a dark limbal ring, warm near the pupil.
    const float angle = std::atan2(dy, dx);
    const float fibres = fbm(angle * 12, r / iris * 3, 0x116, 4);
    const float t = r / iris;
    Rgb col = mix(rgb(0x8a6a30), rgb(0x3a6a8a), smoothstep(0.35f, 0.7f, t));
    col = scale(col, 0.7f + 0.6f * fibres);
    col = scale(col, 1 - 0.7f * smoothstep(0.82f, 1.0f, t));
    if (r < pupil) col = rgb(0x050505);
    else col = scale(col, smoothstep(pupil, pupil * 1.15f, r) * 0.8f + 0.2f);
    return scale(col, 0.6f + 0.4f * edge_shadow);
  });
  // Highlights of a window, eyelashes along the upper lid.
  c.fill_round_rect(cx - iris * 0.55f, cy - iris * 0.6f, cx - iris * 0.2f, cy - iris * 0.2f, 6, rgb(0xffffff), 0.85f, 3);
  c.fill_circle(cx + iris * 0.4f, cy + iris * 0.35f, iris * 0.06f, rgb(0xffffff), 0.6f, 2);
  Rng rng(0x117);
  for (int i = 0; i < 90; ++i) {
    const float u = rng.range(-0.95f, 0.95f);
    const float x0 = cx + u * ew, y0 = cy + (-(1 - u * u) - 0.05f) * eh;
    const float len = h * rng.range(0.07f, 0.13f) * (1 - u * u * 0.6f);
    const float lean = u * 0.9f + rng.range(-0.15f, 0.15f);
    c.line(x0, y0, x0 + lean * len, y0 - len, rng.range(1.2f, 2.4f), rgb(0x140c08), 0.9f);
  }
  c.grade(1.1f, 1.0f);
  finish_photo(c, 0x118, 0.5f, 0.025f);
  return c;
}

Canvas make_water(const Recipe& s) {
  // Caustics on a dark pool floor. The four frames loop: the noise is read
  // along a circle, so frame 4 would equal frame 0.
  const float a = s.frame * tau / s.frames;
  const float ox = std::cos(a) * 1.3f, oy = std::sin(a) * 1.3f;
  Canvas c(s.width, s.height);
  c.shade([&](float x, float y) {
    const float u = x / 70.0f, v = y / 55.0f;
    const float warp = fbm(u * 0.7f + ox * 0.3f, v * 0.7f + oy * 0.3f, 0x186, 3);
    const float lines = std::pow(ridged(u + warp + ox, v - warp + oy, 0x187, 3), 5.0f);
    const float depth = 0.4f + 0.6f * y / s.height;
    return add(scale(rgb(0x03202c), depth), scale(rgb(0x7ae0ff), lines * 1.4f * depth));
  });
  finish_photo(c, 0x188 + s.frame, 0.3f, 0.02f);
  return c;
}

Canvas make_panorama(const Recipe& s) {
  // A northern lake at the midnight sun: fells, spruce forest, still water.
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  const float horizon = h * 0.55f;
  Canvas c(s.width, s.height);
  SkyLight sky = sky_light(0, s.width, s.height, horizon);
  sky.sun_x = w * 0.62f;
  sky.sun_y = horizon - 20;
  sky.clouds = 0.3f;
  paint_sky(c, sky, horizon, 0x172);
  const Rgb air = air_colour(sky, horizon, horizon);
  // Fells: three ridges, the farther ones paler.
  for (int layer = 0; layer < 3; ++layer) {
    const float depth = 1 - layer / 3.0f;
    const Rgb col = mix(rgb(0x1a2230), air, 0.75f * depth);
    for (int x = 0; x < s.width; ++x) {
      const float ridge = horizon - 12 - 60 * depth * (0.5f + 0.5f * fbm(x / (260.0f - layer * 60), layer * 3.1f, 0x173 + layer, 4));
      c.fill_rect(static_cast<float>(x), ridge, x + 1.0f, horizon + 1, col, 1, 0.5f);
    }
  }
  // Spruce forest along the far shore: narrow triangles.
  Rng rng(0x174);
  for (float x = 0; x < w; x += rng.range(2, 6)) {
    const float th = rng.range(8, 26) * (0.6f + 0.8f * (fbm(x / 90.0f, 0, 0x175, 3) * 0.5f + 0.5f));
    const float bw = th * 0.28f;
    c.fill_polygon({{x, horizon - th}, {x + bw, horizon + 1}, {x - bw, horizon + 1}}, rgb(0x0c1410));
  }
  water_reflection(c, horizon + 1, scale(sky.zenith, 0.8f), 0x176);
  // A near shore with rocks and trees at the left and right ends.
  for (int side = 0; side < 2; ++side) {
    const float x0 = side ? w * 0.86f : 0, x1 = side ? w : w * 0.16f;
    for (float x = x0; x < x1; x += rng.range(5, 12)) {
      const float th = rng.range(60, 130);
      const float base = h - rng.range(0, 30);
      for (float k = 0; k < 1; k += 0.12f)
        c.fill_polygon({{x, base - th}, {x + th * 0.2f * (1 - k) + 3, base - th * k}, {x - th * 0.2f * (1 - k) - 3, base - th * k}},
                       rgb(0x070b08));
    }
    c.fill_ellipse((x0 + x1) / 2, h, (x1 - x0) * 0.7f, 24, rgb(0x0a0c0a));
  }
  c.grade(1.05f, 1.15f);
  finish_photo(c, 0x177, 0.25f, 0.02f);
  return c;
}

Canvas make_beer(const Recipe& s) {
  // A pint glass of lager, backlit, on black (it is added onto the screen).
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  Canvas c(s.width, s.height);
  const float cx = w / 2, top = h * 0.12f, bottom = h * 0.95f;
  auto half_width = [&](float y) { return lerp(w * 0.36f, w * 0.27f, (y - top) / (bottom - top)); };
  const float foam = top + 28;
  c.shade([&](float x, float y) {
    if (y < top || y > bottom) return rgb(0x000000);
    const float hw = half_width(y), u = (x - cx) / hw;
    if (std::fabs(u) > 1) return rgb(0x000000);
    const float rim = std::pow(std::fabs(u), 8.0f);
    if (y < foam) {
      const float bubbles = fbm(x / 4.0f, y / 4.0f, 0x185, 3);
      return scale(rgb(0xf4ead0), 0.75f + 0.25f * bubbles + 0.2f * (1 - std::fabs(u)));
    }
    const float depth = (y - foam) / (bottom - foam);
    Rgb beer = mix(rgb(0xffc040), rgb(0xa05008), depth * 0.7f + std::fabs(u) * 0.3f);
    beer = add(beer, scale(rgb(0xffffff), rim * 0.4f));
    return scale(beer, 0.85f + 0.15f * (1 - std::fabs(u)));
  });
  Rng rng(0x1850);
  for (int i = 0; i < 160; ++i) {  // rising bubbles
    const float y = rng.range(foam + 4, bottom - 4);
    const float x = cx + rng.range(-0.9f, 0.9f) * half_width(y);
    c.fill_circle(x, y, rng.range(0.6f, 1.6f), rgb(0xfff4c0), 0.7f);
  }
  for (int i = 0; i < 70; ++i) {  // condensation on the glass
    const float y = rng.range(foam, bottom);
    const float x = cx + rng.range(-1.0f, 1.0f) * half_width(y);
    c.fill_ellipse(x, y, 1.5f, 2.2f, rgb(0xffffff), 0.35f);
  }
  c.glow(cx, (foam + bottom) / 2, w * 0.6f, rgb(0xffa020), 0.15f);
  finish_photo(c, 0x1851, 0.2f, 0.015f);
  return c;
}

Canvas make_series(const Recipe& s) {
  // Eight night photographs of lights: bokeh discs and light trails in a
  // different arrangement and colour each.
  Canvas c(s.width, s.height);
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  const Rgb palettes[8][2] = {
      {rgb(0xff6a20), rgb(0x2060ff)}, {rgb(0xff2070), rgb(0x40e0ff)}, {rgb(0xffd040), rgb(0xff3010)},
      {rgb(0x60ff90), rgb(0x3040ff)}, {rgb(0xff40ff), rgb(0xffb040)}, {rgb(0x40a0ff), rgb(0xfff0d0)},
      {rgb(0xff3030), rgb(0xffe060)}, {rgb(0x30ffd0), rgb(0xff5080)}};
  const Rgb* pal = palettes[s.frame % 8];
  c.shade([&](float x, float y) {
    return scale(mix(rgb(0x05060c), scale(pal[1], 0.15f), y / h), 0.8f + 0.2f * fbm(x / 80, y / 80, 0x164 + s.frame, 3));
  });
  Rng rng(0x1640 + s.frame);
  Canvas light(s.width, s.height, {}, 0.0f);
  for (int i = 0; i < 60; ++i) {
    const float r = rng.range(4, 22);
    light.fill_circle(rng.range(0, w), rng.range(0, h), r, mix(pal[0], pal[1], rng.uniform()), rng.range(0.2f, 0.6f), 1.5f);
  }
  for (int k = 0; k < 5; ++k) {  // light trails: smooth curves across the frame
    float x = rng.range(-50, 0), y = rng.range(h * 0.2f, h * 0.9f);
    const float dir = rng.range(-0.4f, 0.4f), bend = rng.range(-0.004f, 0.004f);
    for (int seg = 0; seg < 60; ++seg) {
      const float nx = x + 8, ny = y + (dir + bend * seg * 8) * 8;
      light.line(x, y, nx, ny, rng.range(1.5f, 3.0f), pal[k % 2], 0.9f);
      x = nx;
      y = ny;
    }
  }
  Canvas bloom = light.crop(0, 0, s.width, s.height);
  bloom.blur(6);
  c.draw_add(bloom, 0, 0, 1.2f);
  c.draw_add(light, 0, 0, 0.9f);
  finish_photo(c, 0x1641 + s.frame, 0.45f, 0.03f);
  return c;
}

Canvas make_stage(const Recipe& s) {
  // Concert lights through haze above a crowd; a different colour scheme in
  // each of the four pictures.
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  const Rgb schemes[4][2] = {{rgb(0xff3070), rgb(0x3080ff)}, {rgb(0xffc030), rgb(0xff3010)},
                             {rgb(0x30ffb0), rgb(0x8040ff)}, {rgb(0xffffff), rgb(0xff6020)}};
  const Rgb* scheme = schemes[s.frame % 4];
  Canvas c(s.width, s.height);
  c.shade([&](float x, float y) {
    return scale(mix(rgb(0x0a0614), rgb(0x1a1020), y / h), 0.8f + 0.4f * fbm(x / 60, y / 40, 0x192 + s.frame, 4));
  });
  Canvas beams(s.width, s.height, {}, 0.0f);
  Rng rng(0x1920 + s.frame);
  for (int i = 0; i < 8; ++i) {
    const float x0 = w * (i + 0.5f) / 8, y0 = 10;
    const float angle = rng.range(-0.6f, 0.6f);
    const float x1 = x0 + std::sin(angle) * h * 1.2f, y1 = y0 + std::cos(angle) * h * 1.2f;
    const Rgb col = scheme[i % 2];
    beams.fill_polygon({{x0 - 3, y0}, {x0 + 3, y0}, {x1 + 40, y1}, {x1 - 40, y1}},
                       [&](float, float y) { return scale(col, 1 - 0.6f * y / h); }, 0.35f);
    beams.fill_circle(x0, y0, 6, rgb(0xffffff), 1);
  }
  Canvas haze = beams.crop(0, 0, s.width, s.height);
  haze.blur(8);
  c.draw_add(haze, 0, 0, 1.0f);
  c.draw_add(beams, 0, 0, 0.6f);
  // Crowd silhouettes with raised hands.
  for (float x = -10; x < w + 10; x += rng.range(12, 20)) {
    const float head = h - rng.range(40, 70);
    c.fill_circle(x, head, 8, rgb(0x040306));
    c.fill_round_rect(x - 13, head + 6, x + 13, h + 10, 8, rgb(0x040306));
    if (rng.uniform() < 0.25f) c.line(x + 8, head + 10, x + rng.range(10, 22), head - 40, 5, rgb(0x040306));
  }
  finish_photo(c, 0x1921 + s.frame, 0.4f, 0.03f);
  return c;
}

}  // namespace assets
