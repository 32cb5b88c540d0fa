#include "scenery.h"

#include <algorithm>
#include <cmath>

namespace assets {

SkyLight sky_light(int mood, int width, int, float horizon) {
  switch (mood % 4) {
    case 0:  // dusk
      return {rgb(0x1d2a4a), rgb(0xf29a5c), rgb(0xffd9a0), width * 0.7f, horizon - 18, 0.45f,
              rgb(0xf7b27c), rgb(0x3b3550)};
    case 1:  // overcast
      return {rgb(0x5d6671), rgb(0xc9ccc9), rgb(0xf4f1e6), width * 0.3f, horizon - 120, 0.85f,
              rgb(0xd8d8d4), rgb(0x5a5f66)};
    case 2:  // night
      return {rgb(0x04060f), rgb(0x263553), rgb(0xffc070), width * 0.5f, horizon + 40, 0.3f,
              rgb(0x3c4660), rgb(0x0a0d18)};
    default:  // hazy morning
      return {rgb(0x6f93c0), rgb(0xf0e2c8), rgb(0xfff6e0), width * 0.25f, horizon - 60, 0.35f,
              rgb(0xfff1dc), rgb(0x9aa6b8)};
  }
}

Rgb air_colour(const SkyLight& sky, float y, float horizon) {
  const float t = clamp01(1 - (horizon - y) / std::max(horizon, 1.0f));
  return mix(sky.zenith, sky.horizon, t * t);
}

void paint_sky(Canvas& c, const SkyLight& sky, float horizon, uint32_t seed) {
  const float w = static_cast<float>(c.width());
  c.shade([&](float x, float y) {
    Rgb base = air_colour(sky, y, horizon);
    // Sun haze: a wide warm glow around the sun.
    const float dx = (x - sky.sun_x) / w, dy = (y - sky.sun_y) / w;
    const float d = std::sqrt(dx * dx + dy * dy * 2);
    base = add(base, scale(sky.sun, 0.55f * std::exp(-d * 6.0f)));
    base = add(base, scale(sky.sun, 0.9f * std::exp(-d * 40.0f)));
    // Clouds: stretched fbm, lit from the sun's side.
    const float sx = x / 160.0f, sy = y / 45.0f;
    float n = fbm(sx, sy, seed, 6) * 0.5f + 0.5f;
    const float cover = smoothstep(1 - sky.clouds * 0.8f - 0.15f, 1.0f - sky.clouds * 0.5f, n);
    const float fade = smoothstep(horizon + 5, horizon - 60, y);  // clouds thin out at the horizon
    const float lit = clamp01(0.5f + (fbm(sx + 0.08f, sy - 0.12f, seed, 4) - fbm(sx, sy, seed, 4)) * 4);
    const Rgb cloud = mix(sky.cloud_dark, sky.cloud_lit, lit * 0.8f + 0.2f * std::exp(-d * 4));
    return mix(base, cloud, cover * fade * 0.9f);
  });
}

void skyline(Canvas& c, float x0, float x1, float base_y, float min_h, float max_h, Rgb body,
             float lit, uint32_t seed) {
  Rng rng(seed);
  float x = x0;
  while (x < x1) {
    const float bw = rng.range(14, 46);
    const float bh = rng.range(min_h, max_h);
    const float top = base_y - bh;
    const Rgb shade = scale(body, rng.range(0.85f, 1.15f));
    c.fill_rect(x, top, x + bw, base_y + 1, shade, 1, 0.7f);
    if (rng.uniform() < 0.25f) c.fill_rect(x + bw * 0.4f, top - rng.range(4, 14), x + bw * 0.45f, top, shade);
    // Windows: a grid, some of them lit.
    for (float wy = top + 4; wy < base_y - 3; wy += 5)
      for (float wx = x + 3; wx < x + bw - 3; wx += 4)
        if (rng.uniform() < lit) {
          const Rgb glow = mix(rgb(0xffd68a), rgb(0xcfe6ff), rng.uniform() * 0.4f);
          c.fill_rect(wx, wy, wx + 1.6f, wy + 2.2f, glow, rng.range(0.4f, 0.9f), 0.6f);
        }
    x += bw + rng.range(-4, 3);
  }
}

void truss(Canvas& c, Pt a, Pt b, float depth, float thickness, Rgb colour) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float len = std::sqrt(dx * dx + dy * dy);
  if (len < 1) return;
  const float nx = -dy / len * depth / 2, ny = dx / len * depth / 2;
  const Pt a1{a.x + nx, a.y + ny}, a2{a.x - nx, a.y - ny};
  const Pt b1{b.x + nx, b.y + ny}, b2{b.x - nx, b.y - ny};
  c.line(a1.x, a1.y, b1.x, b1.y, thickness * 1.4f, colour);
  c.line(a2.x, a2.y, b2.x, b2.y, thickness * 1.4f, colour);
  const int bays = std::max(1, static_cast<int>(len / std::max(depth, 2.0f)));
  for (int i = 0; i < bays; ++i) {
    const float t0 = static_cast<float>(i) / bays, t1 = static_cast<float>(i + 1) / bays;
    const Pt p0{a1.x + (b1.x - a1.x) * t0, a1.y + (b1.y - a1.y) * t0};
    const Pt q1{a2.x + (b2.x - a2.x) * t1, a2.y + (b2.y - a2.y) * t1};
    const Pt q0{a2.x + (b2.x - a2.x) * t0, a2.y + (b2.y - a2.y) * t0};
    c.line(p0.x, p0.y, q1.x, q1.y, thickness, colour);
    c.line(p0.x, p0.y, q0.x, q0.y, thickness * 0.8f, colour);
  }
}

void plume(Canvas& c, float x, float y, float length, float spread, float wind, Rgb colour,
           float opacity, uint32_t seed) {
  Rng rng(seed);
  const int puffs = static_cast<int>(length / 3);
  for (int i = 0; i < puffs; ++i) {
    const float t = static_cast<float>(i) / puffs;
    const float px = x + wind * length * t * t + rng.range(-2, 2) * (1 + t * 6);
    const float py = y - length * t * (1 - 0.4f * std::fabs(wind)) + rng.range(-2, 2);
    const float r = 3 + spread * t + rng.range(0, 3);
    const Rgb shade = scale(colour, 0.75f + 0.35f * rng.uniform());
    c.fill_circle(px, py, r, shade, opacity * (1 - t) * 0.35f, r * 0.8f);
  }
}

void water_reflection(Canvas& c, float water_y, Rgb tint, uint32_t seed) {
  const int top = static_cast<int>(water_y);
  const Canvas above = c.crop(0, 0, c.width(), c.height());
  for (int y = top; y < c.height(); ++y) {
    const float depth = static_cast<float>(y - top + 1);
    for (int x = 0; x < c.width(); ++x) {
      const float wob = fbm(x / 30.0f, y * 0.9f / std::sqrt(depth), seed, 3) * depth * 0.35f;
      const float sy = water_y - depth * 1.05f + wob;
      const float sx = x + fbm(x / 9.0f, y / 2.0f, seed + 5, 2) * 3.0f;
      Rgb r = above.sample(sx, std::max(0.5f, sy));
      const float fresnel = 0.55f + 0.35f * clamp01(depth / 120.0f);
      r = mix(scale(r, 0.8f), tint, 1 - fresnel);
      const float glint = std::pow(clamp01(value_noise(x / 3.0f, y * 1.7f, seed + 9)), 12.0f);
      float* p = c.at(x, y);
      p[0] = r.r + glint * 0.5f;
      p[1] = r.g + glint * 0.5f;
      p[2] = r.b + glint * 0.5f;
    }
  }
}

void finish_photo(Canvas& c, uint64_t seed, float vignette, float grain) {
  c.vignette(vignette);
  c.grain(seed, grain);
}

}  // namespace assets
