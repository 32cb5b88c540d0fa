// Street photographs: traffic at dusk and night, a railway line, a cut-out
// train and a filling station.
#include <algorithm>
#include <cmath>

#include "families.h"
#include "scenery.h"

namespace assets {

namespace {

// A pinhole camera over a flat ground: lateral offset x and depth z in
// metres map to the screen.
struct Camera {
  float vx, horizon, focal, height;
  float sx(float x, float z) const { return vx + x * focal / z; }
  float sy(float y_up, float z) const { return horizon + (height - y_up) * focal / z; }
  float size(float metres, float z) const { return metres * focal / z; }
};

void asphalt(Canvas& c, const Camera& cam, float left, float right, Rgb tone, float wet,
             uint32_t seed) {
  const int h = c.height();
  for (int y = static_cast<int>(cam.horizon) + 1; y < h; ++y) {
    const float z = cam.focal * cam.height / (y + 0.5f - cam.horizon);
    const float x0 = cam.sx(left, z), x1 = cam.sx(right, z);
    for (int x = std::max(0, static_cast<int>(x0)); x < std::min(c.width(), static_cast<int>(x1) + 1); ++x) {
      const float wx = (x + 0.5f - cam.vx) * z / cam.focal;
      const float n = fbm(wx * 2.0f, z * 0.5f, seed, 3);
      const Rgb col = scale(tone, 0.85f + 0.25f * n);
      const float edge = clamp01(std::min(x + 1 - x0, x1 - x));
      c.blend(x, y, col, edge);
      if (wet > 0) {  // wet road: reflections of what is above, stretched
        const Rgb above = c.sample(static_cast<float>(x), 2 * cam.horizon - y - 1);
        c.add_light(x, y, above, wet * 0.5f * clamp01(1 - (y - cam.horizon) / 150.0f));
      }
    }
  }
}

void lane_marks(Canvas& c, const Camera& cam, float x, float dash, float gap, Rgb col) {
  for (float z = 3; z < 300; z += dash + gap) {
    const float za = z, zb = z + dash;
    const float w0 = cam.size(0.12f, za), w1 = cam.size(0.12f, zb);
    c.fill_polygon({{cam.sx(x, za) - w0, cam.sy(0, za)}, {cam.sx(x, za) + w0, cam.sy(0, za)},
                    {cam.sx(x, zb) + w1, cam.sy(0, zb)}, {cam.sx(x, zb) - w1, cam.sy(0, zb)}},
                   col, 0.8f);
  }
}

// A car seen from behind (tail lights) or from the front (head lights).
void car(Canvas& c, const Camera& cam, float x, float z, bool oncoming, Rgb paint, bool night) {
  const float w = cam.size(1.8f, z), h = cam.size(1.4f, z);
  const float cx = cam.sx(x, z), base = cam.sy(0, z);
  if (w < 1) return;
  c.fill_ellipse(cx, base, w * 0.6f, h * 0.08f + 0.5f, rgb(0x000000), 0.6f, std::max(1.0f, w * 0.05f));
  c.fill_round_rect(cx - w / 2, base - h * 0.62f, cx + w / 2, base - h * 0.05f, w * 0.08f,
                    night ? scale(paint, 0.35f) : paint);
  c.fill_round_rect(cx - w * 0.38f, base - h, cx + w * 0.38f, base - h * 0.55f, w * 0.12f,
                    night ? scale(paint, 0.3f) : scale(paint, 0.85f));
  c.fill_round_rect(cx - w * 0.32f, base - h * 0.94f, cx + w * 0.32f, base - h * 0.62f, w * 0.08f,
                    night ? rgb(0x0a0d14) : rgb(0x2a3444), 0.95f);
  c.fill_rect(cx - w * 0.45f, base - h * 0.12f, cx - w * 0.28f, base, rgb(0x101010));
  c.fill_rect(cx + w * 0.28f, base - h * 0.12f, cx + w * 0.45f, base, rgb(0x101010));
  const Rgb lamp = oncoming ? rgb(0xfff4dc) : rgb(0xff2a18);
  for (int side = -1; side <= 1; side += 2) {
    const float lx = cx + side * w * 0.36f, ly = base - h * 0.42f;
    c.fill_ellipse(lx, ly, w * 0.09f + 0.4f, h * 0.06f + 0.4f, lamp, 1, 0.8f);
    // Near lamps get a tight flare; a glow the size of the car would wash it out.
    const float reach = std::min(w * (oncoming ? 1.2f : 0.7f) + 3, 26.0f);
    if (night || oncoming) c.glow(lx, ly, reach, lamp, (oncoming ? 0.7f : 0.55f) * (night ? 1 : 0.5f));
  }
}

void street_lights(Canvas& c, const Camera& cam, float x, Rgb glow, bool night) {
  for (float z = 6; z < 260; z += 22) {
    const float px = cam.sx(x, z), top = cam.sy(8, z), base = cam.sy(0, z);
    const float arm = cam.size(x > 0 ? -1.5f : 1.5f, z);
    c.line(px, base, px, top, std::max(0.6f, cam.size(0.18f, z)), rgb(0x15171c));
    c.line(px, top, px + arm, top, std::max(0.5f, cam.size(0.12f, z)), rgb(0x15171c));
    if (night) {
      c.fill_circle(px + arm, top + 1, cam.size(0.25f, z) + 0.6f, rgb(0xfff0c0));
      c.glow(px + arm, top + 1, cam.size(4, z) + 4, glow, 0.7f);
    }
  }
}

// Tall buildings along both sides of the street, in perspective.
void facades(Canvas& c, const Camera& cam, float side_x, float lit, Rgb wall, uint32_t seed) {
  Rng rng(seed);
  for (float z = 260; z > 4; z -= rng.range(10, 30)) {
    const float depth = rng.range(8, 26), floors = rng.range(4, 14);
    const float z0 = z, z1 = z + depth;
    const float height = floors * 3.2f;
    const float x = side_x;
    const std::vector<Pt> face = {{cam.sx(x, z0), cam.sy(0, z0)}, {cam.sx(x, z0), cam.sy(height, z0)},
                                  {cam.sx(x, z1), cam.sy(height, z1)}, {cam.sx(x, z1), cam.sy(0, z1)}};
    const Rgb col = scale(wall, rng.range(0.7f, 1.2f));
    c.fill_polygon(face, [&](float, float) { return col; });
    for (int f = 0; f < static_cast<int>(floors); ++f)
      for (float wz = z0 + 1; wz < z1 - 1; wz += 2.5f) {
        if (rng.uniform() > lit) continue;
        const float y0 = f * 3.2f + 1, y1 = y0 + 1.5f;
        const Rgb g = mix(rgb(0xffd48a), rgb(0xbfe0ff), rng.uniform() * 0.5f);
        c.fill_polygon({{cam.sx(x, wz), cam.sy(y0, wz)}, {cam.sx(x, wz), cam.sy(y1, wz)},
                        {cam.sx(x, wz + 1.2f), cam.sy(y1, wz + 1.2f)}, {cam.sx(x, wz + 1.2f), cam.sy(y0, wz + 1.2f)}},
                       g, rng.range(0.5f, 0.95f));
      }
  }
}

}  // namespace

Canvas make_traffic(const Recipe& s) {
  // traffic1..8 (variants 0..7) alternate dusk, night and overcast day; 9
  // and 10 (variants 8, 9) are wide views.
  const int v = s.variant;
  const int mood = (v % 3 == 0) ? 0 : (v % 3 == 1 ? 2 : 1);
  const bool night = mood == 2 || mood == 0;
  Canvas c(s.width, s.height);
  Rng rng(0x7a0 + v);
  const Camera cam{s.width * rng.range(0.35f, 0.65f), s.height * rng.range(0.38f, 0.5f),
                   s.width * 0.9f, rng.range(1.6f, 4.5f)};
  const SkyLight sky = sky_light(mood, s.width, s.height, cam.horizon);
  paint_sky(c, sky, cam.horizon, 0x51 + v);
  skyline(c, -10, s.width + 10.0f, cam.horizon + 1, 10, cam.horizon * 0.6f,
          mix(scale(sky.cloud_dark, 0.5f), air_colour(sky, cam.horizon, cam.horizon), 0.35f),
          night ? 0.4f : 0.02f, 0x99 + v);
  const Rgb wall = mood == 2 ? rgb(0x10131a) : scale(sky.cloud_dark, 0.55f);
  const float road_half = rng.range(6, 10);
  c.fill_rect(0, cam.horizon, static_cast<float>(s.width), static_cast<float>(s.height), scale(wall, 0.5f));
  facades(c, cam, -road_half - 3, night ? 0.35f : 0.05f, wall, 0xfa + v);
  facades(c, cam, road_half + 3, night ? 0.35f : 0.05f, scale(wall, 0.8f), 0xfb + v);
  asphalt(c, cam, -road_half - 3, road_half + 3, mood == 2 ? rgb(0x16171b) : rgb(0x3a3b3e),
          v % 2 ? 0.5f : 0.15f, 0xa5 + v);
  for (float lane = -road_half + 3.5f; lane < road_half - 1; lane += 3.5f)
    lane_marks(c, cam, lane, 3, 6, rgb(0xd8d8c8));
  street_lights(c, cam, -road_half - 1.5f, rgb(0xffa040), night);
  street_lights(c, cam, road_half + 1.5f, rgb(0xffa040), night);

  // Cars: a jam in the lanes going away, a thinner stream coming towards us.
  struct Car { float x, z; bool oncoming; Rgb paint; };
  std::vector<Car> cars;
  const Rgb paints[] = {rgb(0xb0262a), rgb(0xdadada), rgb(0x1f3f7a), rgb(0x202020), rgb(0x6a6f74),
                        rgb(0xc8a040), rgb(0x2f5a3a)};
  for (float lane = -road_half + 1.75f; lane < road_half; lane += 3.5f) {
    const bool oncoming = lane < 0 && v % 2 == 0;
    for (float z = rng.range(5, 12); z < 220; z += rng.range(oncoming ? 14 : 5.5f, oncoming ? 40 : 9))
      cars.push_back({lane + rng.range(-0.3f, 0.3f), z, oncoming, paints[rng.below(7)]});
  }
  std::sort(cars.begin(), cars.end(), [](const Car& a, const Car& b) { return a.z > b.z; });
  for (const Car& k : cars) car(c, cam, k.x, k.z, k.oncoming, k.paint, night);

  if (v % 4 == 3) {
    // Long exposure: light trails along the lanes.
    Canvas trails(s.width, s.height, {}, 0.0f);
    for (float lane = -road_half + 1.75f; lane < road_half; lane += 3.5f)
      for (int k = -1; k <= 1; k += 2) {
        const float x = lane + k * 0.6f;
        const Rgb col = lane < 0 ? rgb(0xfff0d0) : rgb(0xff3020);
        for (float z = 3; z < 200; z *= 1.08f)
          trails.line(cam.sx(x, z), cam.sy(0.6f, z), cam.sx(x, z * 1.08f), cam.sy(0.6f, z * 1.08f),
                      std::max(0.7f, cam.size(0.2f, z)), col, 0.8f);
      }
    Canvas glow = trails.crop(0, 0, s.width, s.height);
    glow.blur(4);
    c.draw_add(glow, 0, 0, 1.5f);
    c.draw_add(trails, 0, 0, 1.0f);
  }
  c.grade(1.1f, 1.1f);
  finish_photo(c, 0x7aff + v, 0.4f, 0.03f);
  return c;
}

Canvas make_train_photo(const Recipe& s) {
  Canvas c(s.width, s.height);
  const Camera cam{s.width * 0.46f, s.height * 0.45f, s.width * 1.0f, 2.2f};
  const SkyLight sky = sky_light(3, s.width, s.height, cam.horizon);
  paint_sky(c, sky, cam.horizon, 0x3131);
  // Fields and a tree line to the horizon.
  const Rgb field = rgb(0x55603a);
  for (int y = static_cast<int>(cam.horizon); y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const float t = clamp01((y - cam.horizon) / (s.height - cam.horizon));
      const float n = fbm(x / (4 + 40 * t), y / (2 + 10 * t), 0x3132, 4);
      c.blend(x, y, scale(mix(mix(field, sky.horizon, 0.4f), field, t), 0.8f + 0.3f * n), 1);
    }
  for (int x = 0; x < s.width; ++x) {
    const float th = 6 + 10 * (fbm(x / 12.0f, 0, 0x3133, 4) * 0.5f + 0.5f);
    c.fill_rect(static_cast<float>(x), cam.horizon - th, x + 1.0f, cam.horizon + 1,
                mix(rgb(0x2c3424), sky.horizon, 0.45f), 1, 0.5f);
  }
  // Ballast bed, sleepers and two rails converging on the vanishing point.
  asphalt(c, cam, -2.6f, 2.6f, rgb(0x6a645c), 0, 0x3134);
  for (float z = 2; z < 300; z += 0.65f) {
    const float w = 1.3f;
    const float y = cam.sy(0, z), th = std::max(0.6f, cam.size(0.22f, z));
    c.fill_rect(cam.sx(-w, z), y - th / 2, cam.sx(w, z), y + th / 2, rgb(0x3b3028), 0.9f, 0.5f);
  }
  for (int r = -1; r <= 1; r += 2)
    for (float z = 1.5f; z < 400; z *= 1.05f) {
      const float x = r * 0.72f;
      c.line(cam.sx(x, z), cam.sy(0.15f, z), cam.sx(x, z * 1.05f), cam.sy(0.15f, z * 1.05f),
             std::max(0.6f, cam.size(0.08f, z)), rgb(0xc8ccd0));
    }
  // Catenary masts and wires.
  for (float z = 4; z < 300; z += 30) {
    const float mx = cam.sx(2.8f, z), top = cam.sy(7.5f, z);
    c.line(mx, cam.sy(0, z), mx, top, std::max(0.7f, cam.size(0.25f, z)), rgb(0x30343a));
    c.line(mx, cam.sy(6.5f, z), cam.sx(-0.4f, z), cam.sy(6.5f, z), std::max(0.5f, cam.size(0.1f, z)), rgb(0x30343a));
  }
  for (float z = 4; z < 300; z *= 1.04f) {
    c.line(cam.sx(0, z), cam.sy(6.2f, z), cam.sx(0, z * 1.04f), cam.sy(6.2f, z * 1.04f), 0.7f, rgb(0x202428), 0.8f);
    c.line(cam.sx(0, z), cam.sy(6.9f, z), cam.sx(0, z * 1.04f), cam.sy(6.9f, z * 1.04f), 0.6f, rgb(0x202428), 0.6f);
  }
  // An electric locomotive coming towards us, headlights on.
  const float z = 40;
  const float lx = cam.sx(0, z), base = cam.sy(0.3f, z);
  const float lw = cam.size(3.0f, z), lh = cam.size(4.0f, z);
  c.fill_round_rect(lx - lw / 2, base - lh, lx + lw / 2, base, lw * 0.1f, rgb(0xa82820));
  c.fill_rect(lx - lw / 2, base - lh * 0.3f, lx + lw / 2, base - lh * 0.18f, rgb(0xe8e0d0));
  c.fill_round_rect(lx - lw * 0.42f, base - lh * 0.92f, lx + lw * 0.42f, base - lh * 0.6f, lw * 0.06f, rgb(0x1c2430));
  c.line(lx, base - lh, lx - lw * 0.2f, cam.sy(6.2f, z), 1.0f, rgb(0x202020));
  c.line(lx, base - lh, lx + lw * 0.2f, cam.sy(6.2f, z), 1.0f, rgb(0x202020));
  for (int k = -1; k <= 1; k += 2) {
    c.fill_circle(lx + k * lw * 0.3f, base - lh * 0.12f, lw * 0.06f, rgb(0xfff8e0));
    c.glow(lx + k * lw * 0.3f, base - lh * 0.12f, lw * 0.9f, rgb(0xfff0d0), 0.8f);
  }
  c.grade(1.1f, 0.95f);
  finish_photo(c, 0x3139);
  return c;
}

Canvas make_train_cutout(const Recipe& s) {
  // Side view of a locomotive and one coach, transparent around them.
  Canvas c(s.width, s.height, rgb(0x202020), 0.0f);
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  const float roof = h * 0.3f, floor_y = h * 0.78f, rail = h - 4;
  auto body = [&](float x0, float x1, bool nose_left, bool nose_right) {
    std::vector<Pt> outline = {{x0 + (nose_left ? 26 : 3), roof}, {x1 - (nose_right ? 26 : 3), roof},
                               {x1, roof + (nose_right ? 30 : 3)}, {x1, floor_y}, {x0, floor_y},
                               {x0, roof + (nose_left ? 30 : 3)}};
    c.fill_polygon(outline, [&](float, float y) {
      const float v = (y - roof) / (floor_y - roof);
      Rgb col = v < 0.55f ? rgb(0xd9d4c8) : (v < 0.68f ? rgb(0xb52a22) : rgb(0x2b3a55));
      if (v < 0.1f) col = mix(rgb(0xf2f0ea), col, v / 0.1f);  // roof highlight
      return scale(col, 0.75f + 0.35f * (1 - v));
    });
    c.line(x0 + 4, roof + (floor_y - roof) * 0.56f, x1 - 4, roof + (floor_y - roof) * 0.56f, 1.2f, rgb(0xffffff), 0.5f);
  };
  const float loco_end = w * 0.42f;
  body(4, loco_end, true, false);
  body(loco_end + 6, w - 2, false, false);
  c.fill_rect(loco_end - 1, roof + 20, loco_end + 7, floor_y - 10, rgb(0x1a1a1a));
  // Windows: the cab's and a row along the coach.
  c.fill_polygon({{14, roof + 26}, {30, roof + 6}, {58, roof + 6}, {58, roof + 34}, {14, roof + 34}}, rgb(0x1a2636));
  c.line(24, roof + 14, 44, roof + 10, 2, rgb(0xffffff), 0.35f);
  for (float x = loco_end + 22; x < w - 24; x += 30) {
    c.fill_round_rect(x, roof + 10, x + 22, roof + 32, 3, rgb(0x1a2636));
    c.line(x + 3, roof + 14, x + 12, roof + 12, 1.5f, rgb(0xffffff), 0.3f);
  }
  for (float x = 80; x < loco_end - 20; x += 40) c.fill_rect(x, roof + 12, x + 18, floor_y - 18, rgb(0x9c9488), 0.5f);
  // Pantograph and roof gear.
  const float px = loco_end * 0.55f;
  c.fill_rect(px - 20, roof - 5, px + 20, roof, rgb(0x3a3a3a));
  c.line(px - 16, roof - 4, px + 4, roof - 34, 1.6f, rgb(0x2a2a2a));
  c.line(px + 4, roof - 34, px - 10, roof - 52, 1.6f, rgb(0x2a2a2a));
  c.line(px - 24, roof - 52, px + 6, roof - 52, 2.2f, rgb(0x2a2a2a));
  // Bogies and wheels.
  auto bogie = [&](float cx) {
    c.fill_rect(cx - 34, floor_y, cx + 34, floor_y + 12, rgb(0x1c1c1e));
    for (int k = -1; k <= 1; k += 2) {
      c.fill_circle(cx + k * 18, rail - 10, 10, rgb(0x2a2a2c));
      c.fill_circle(cx + k * 18, rail - 10, 4, rgb(0x7a7a7e));
    }
  };
  bogie(60);
  bogie(loco_end - 60);
  bogie(loco_end + 70);
  bogie(w - 70);
  c.fill_rect(4, floor_y, w - 2, floor_y + 5, rgb(0x141414));
  c.fill_circle(10, floor_y - 16, 4, rgb(0xfff6d0));
  return c;
}

Canvas make_fuel(const Recipe& s) {
  // A filling station at night. Each frame the camera has moved a little to
  // the right and the canopy lights flicker, so steps and fades show.
  const float f = static_cast<float>(s.frame);
  Canvas c(s.width, s.height);
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  const float pan = f * 9.0f;
  const float horizon = h * 0.55f;
  const SkyLight sky = sky_light(2, s.width, s.height, horizon);
  paint_sky(c, sky, horizon, 0xf0e1);
  skyline(c, -20 - pan * 0.3f, w + 20, horizon, 6, 40, rgb(0x0c0e16), 0.3f, 0xf0e2);
  // Forecourt concrete with wet reflections.
  for (int y = static_cast<int>(horizon); y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const float n = fbm((x + pan) / 18.0f, y / 6.0f, 0xf0e3, 4);
      c.blend(x, y, scale(rgb(0x24262c), 0.8f + 0.3f * n), 1);
    }
  // Canopy: a slab on pillars, with bright light panels underneath.
  const float cx0 = 40 - pan, cx1 = 380 - pan, top = h * 0.18f, bottom = h * 0.3f;
  const Rgb brand = f < 3 ? rgb(0xd02a20) : (f < 6 ? rgb(0x1f6fd0) : rgb(0x20a050));
  c.fill_rect(cx0, top, cx1, bottom, brand);
  c.fill_rect(cx0, top + 4, cx1, top + 8, rgb(0xffffff), 0.8f);
  c.fill_polygon({{cx0, bottom}, {cx1, bottom}, {cx1 + 20, bottom + 10}, {cx0 - 20, bottom + 10}}, rgb(0xd8dde0));
  for (float lx = cx0 + 20; lx < cx1 - 10; lx += 48) {
    const float flicker = 0.7f + 0.3f * std::sin(f * 2.1f + lx);
    c.fill_rect(lx, bottom + 3, lx + 24, bottom + 7, rgb(0xffffff), 1);
    c.glow(lx + 12, bottom + 8, 70, rgb(0xeaf4ff), 0.35f * flicker);
  }
  // Pumps on islands.
  for (int i = 0; i < 3; ++i) {
    const float px = cx0 + 60 + i * 110;
    c.fill_rect(px - 26, h * 0.8f, px + 26, h * 0.84f, rgb(0x9a9ea4));
    c.fill_round_rect(px - 14, h * 0.5f, px + 14, h * 0.8f, 3, rgb(0xe6e6e2));
    c.fill_rect(px - 14, h * 0.5f, px + 14, h * 0.56f, brand);
    c.fill_rect(px - 10, h * 0.59f, px + 10, h * 0.66f, rgb(0x0c1a10));
    for (int d = 0; d < 4; ++d) c.fill_rect(px - 9 + d * 5, h * 0.6f, px - 6 + d * 5, h * 0.65f, rgb(0x60ff90), 0.8f);
    c.line(px + 14, h * 0.62f, px + 22, h * 0.72f, 2, rgb(0x1a1a1a));
    c.glow(px, h * 0.62f, 30, rgb(0x60ff90), 0.1f);
  }
  for (float px = cx0 + 5; px < cx1; px += 165) c.fill_rect(px, bottom + 10, px + 8, h * 0.84f, rgb(0xc0c4c8));
  // Price sign with changing digits.
  const float sx = w - 70 - pan * 0.4f;
  c.line(sx + 25, h * 0.2f, sx + 25, horizon + 10, 4, rgb(0x202226));
  c.fill_rect(sx, h * 0.06f, sx + 50, h * 0.24f, rgb(0x101216));
  for (int row = 0; row < 3; ++row)
    for (int d = 0; d < 4; ++d) {
      const int digit = (static_cast<int>(f) * 3 + row * 5 + d * 7) % 10;
      const float dx = sx + 6 + d * 10, dy = h * 0.08f + row * 14;
      c.fill_rect(dx, dy, dx + 7, dy + 10, rgb(0xffa020), 0.25f + 0.07f * digit);
    }
  // Mirror the bright parts onto the wet ground.
  water_reflection(c, h * 0.86f, rgb(0x20242c), 0xf0e4);
  c.grade(1.1f, 1.15f);
  finish_photo(c, 0xf0e5 + s.frame, 0.45f, 0.03f);
  return c;
}

}  // namespace assets
