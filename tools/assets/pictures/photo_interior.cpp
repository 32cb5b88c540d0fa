// Interiors rendered by marching rays through box-shaped rooms: a stairwell
// climbed one step per picture, a basement corridor walked along, and an
// elevator whose doors open picture by picture.
#include <algorithm>
#include <cmath>
#include <string>

#include "families.h"

namespace assets {

namespace {

struct V3 {
  float x, y, z;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 normalise(V3 a) { return a * (1.0f / std::sqrt(dot(a, a))); }

enum Material { wall, floor_, ceiling, riser, pipe, rail, end_wall };

struct Light {
  V3 at;
  Rgb colour;
  float power;
};

struct Hit {
  float t = 1e9f;
  Material material = wall;
  V3 normal{0, 0, 0};
};

// Keeps the nearer of two hits.
void consider(Hit& best, float t, Material m, V3 n) {
  if (t > 1e-4f && t < best.t) best = {t, m, n};
}

// Ray against a plane given by its normal and offset (dot(n, p) = k).
void plane(Hit& best, V3 o, V3 d, V3 n, float k, Material m) {
  const float den = dot(n, d);
  if (std::fabs(den) < 1e-6f) return;
  const float t = (k - dot(n, o)) / den;
  consider(best, t, m, den < 0 ? n : n * -1.0f);
}

// Ray against an infinite cylinder (axis point c, unit direction a, radius r).
float cylinder(V3 o, V3 d, V3 c, V3 a, float r) {
  const V3 w = o - c;
  const V3 dp = d - a * dot(d, a), wp = w - a * dot(w, a);
  const float A = dot(dp, dp), B = 2 * dot(dp, wp), C = dot(wp, wp) - r * r;
  const float disc = B * B - 4 * A * C;
  if (A < 1e-9f || disc < 0) return -1;
  return (-B - std::sqrt(disc)) / (2 * A);
}

V3 cylinder_normal(V3 p, V3 c, V3 a) {
  const V3 w = p - c;
  return normalise(w - a * dot(w, a));
}

// One room: where a ray first meets it, and how each surface looks.
struct Room {
  virtual ~Room() = default;
  virtual Hit intersect(V3 o, V3 d) const = 0;
  virtual Rgb albedo(Material m, V3 p) const = 0;
  virtual Rgb emission(Material, V3) const { return {}; }
  Rgb ambient = {0.1f, 0.1f, 0.1f};
};

Rgb shade_ray(const Room& room, V3 origin, V3 dir, const std::vector<Light>& lights, Rgb fog,
              float fog_density) {
  const Hit hit = room.intersect(origin, dir);
  if (hit.t >= 1e8f) return fog;
  const V3 p = origin + dir * hit.t;
  const V3 n = hit.normal;
  const Rgb base = room.albedo(hit.material, p);
  Rgb light = room.ambient;
  for (const Light& l : lights) {
    const V3 d = l.at - p;
    const float lambert = std::max(0.0f, dot(n, normalise(d)));
    light = add(light, scale(l.colour, l.power * lambert / (1 + dot(d, d) * 0.25f)));
  }
  Rgb out{base.r * light.r, base.g * light.g, base.b * light.b};
  out = add(out, room.emission(hit.material, p));
  if (hit.material == pipe || hit.material == rail) {  // metal: highlights towards the lights
    for (const Light& l : lights) {
      const V3 h = normalise(normalise(l.at - p) - dir);
      out = add(out, scale(l.colour, 0.5f * std::pow(std::max(0.0f, dot(n, h)), 30.0f) /
                                         (1 + dot(l.at - p, l.at - p) * 0.1f)));
    }
  }
  return mix(out, fog, 1 - std::exp(-hit.t * fog_density));
}

void render_room(Canvas& c, const Room& room, V3 eye, float pitch, float yaw,
                 const std::vector<Light>& lights, Rgb fog, float fog_density) {
  const float w = static_cast<float>(c.width()), h = static_cast<float>(c.height());
  const float focal = w * 0.75f;
  const float cp = std::cos(pitch), sp = std::sin(pitch), cyw = std::cos(yaw), syw = std::sin(yaw);
  c.shade([&](float x, float y) {
    Rgb sum{};
    const float offsets[2][2] = {{-0.25f, -0.25f}, {0.25f, 0.25f}};
    for (const auto& o : offsets) {
      V3 d{(x + o[0] - w / 2) / focal, -(y + o[1] - h / 2) / focal, 1};
      d = {d.x, d.y * cp + d.z * sp, -d.y * sp + d.z * cp};
      d = {d.x * cyw + d.z * syw, d.y, -d.x * syw + d.z * cyw};
      sum = add(sum, shade_ray(room, eye, normalise(d), lights, fog, fog_density));
    }
    return scale(sum, 0.5f);
  });
}

// --- the stairwell -------------------------------------------------------

constexpr float step_rise = 0.18f, step_run = 0.3f, stairs_start = 2.0f;
constexpr int step_count = 18;
constexpr float stairs_end = stairs_start + step_count * step_run;
constexpr float landing_end = stairs_end + 2.5f, stair_half = 1.1f, headroom = 3.2f;
constexpr float slope = step_rise / step_run;

float stair_height(float z) {
  if (z < stairs_start) return 0;
  const float k = std::floor((z - stairs_start) / step_run) + 1;
  return std::min(k, static_cast<float>(step_count)) * step_rise;
}

// The line along the flight (the noses of the steps), for the paint line,
// the ceiling and the hand rail.
float flight_line(float z) { return std::clamp(z - stairs_start, 0.0f, step_count * step_run) * slope; }

struct Stairwell : Room {
  Hit intersect(V3 o, V3 d) const override {
    Hit best;
    plane(best, o, d, {1, 0, 0}, stair_half, wall);
    plane(best, o, d, {1, 0, 0}, -stair_half, wall);
    plane(best, o, d, {0, 0, 1}, landing_end, end_wall);
    // The ceiling follows the flight: flat, sloped, flat.
    const float pieces[3][3] = {{-100, stairs_start, 0},
                                {stairs_start, stairs_end, 1},
                                {stairs_end, 100, 2}};
    for (const auto& piece : pieces) {
      Hit h;
      if (piece[2] == 1) {
        const V3 n = normalise({0, 1, -slope});
        plane(h, o, d, n, dot(n, V3{0, headroom, stairs_start}), ceiling);
      } else {
        plane(h, o, d, {0, 1, 0}, headroom + (piece[2] == 2 ? step_count * step_rise : 0), ceiling);
      }
      const float z = o.z + d.z * h.t;
      if (h.t < 1e8f && z >= piece[0] && z < piece[1]) consider(best, h.t, ceiling, h.normal);
    }
    // Steps: walk the cells between risers along z.
    if (d.z > 1e-6f) {
      float z = std::max(o.z, -50.0f);
      float t_in = (z - o.z) / d.z;
      while (t_in < best.t && z < landing_end) {
        const float floor_y = stair_height(z + 1e-4f);
        float next = z < stairs_start ? stairs_start
                                      : (z < stairs_end ? stairs_start + (std::floor((z - stairs_start) / step_run + 1e-4f) + 1) * step_run
                                                        : landing_end);
        const float t_out = (next - o.z) / d.z;
        if (d.y < 0) {
          const float t = (floor_y - o.y) / d.y;
          if (t >= t_in && t <= t_out) {
            consider(best, t, floor_, {0, 1, 0});
            break;
          }
        }
        if (next < stairs_end + 1e-3f && o.y + d.y * t_out < stair_height(next + 1e-4f)) {
          consider(best, t_out, riser, {0, 0, -1});
          break;
        }
        z = next;
        t_in = t_out;
      }
    }
    // Hand rail on the left wall, 0.9 m above the noses of the steps.
    const V3 axis = normalise({0, slope, 1});
    const V3 base{-stair_half + 0.12f, 0.9f, stairs_start};
    const float t = cylinder(o, d, base, axis, 0.04f);
    if (t > 0) {
      const float z = o.z + d.z * t;
      if (z > stairs_start && z < stairs_end) consider(best, t, rail, cylinder_normal(o + d * t, base, axis));
    }
    return best;
  }
  Rgb albedo(Material m, V3 p) const override {
    const float noise = fbm(p.x * 3 + p.z * 2, p.y * 3, 0x121, 4);
    switch (m) {
      case wall: {
        // The paint line runs parallel to the flight, not along each step.
        const float above = p.y - flight_line(p.z);
        const Rgb paint = above < 1.1f ? rgb(0x6e7f6a) : rgb(0xd8d2c0);
        return scale(paint, 0.85f + 0.2f * noise + (std::fabs(above - 1.1f) < 0.02f ? -0.3f : 0));
      }
      case floor_: {
        // Tread with a light nosing strip at its front edge.
        const float into = std::fmod(p.z - stairs_start + 10 * step_run, step_run);
        const bool nosing = p.z >= stairs_start && p.z < stairs_end && into < 0.05f;
        return nosing ? rgb(0xc8c4b8) : scale(rgb(0x8a8278), 0.8f + 0.3f * noise);
      }
      case riser: return scale(rgb(0x6a645c), 0.8f + 0.2f * noise);
      case rail: return rgb(0x8a6a40);
      case end_wall: return scale(rgb(0xd0cab8), 0.9f + 0.1f * noise);
      default: return scale(rgb(0xe0ddd4), 0.85f + 0.15f * noise);
    }
  }
  Rgb emission(Material m, V3 p) const override {
    // A tall window on the far wall of the landing.
    const float above = p.y - step_count * step_rise;
    if (m == end_wall && std::fabs(p.x) < 0.5f && above > 0.9f && above < 2.8f) {
      // Frosted glass with the frame's cross bar.
      const bool bar = std::fabs(above - 1.85f) < 0.03f || std::fabs(p.x) < 0.02f;
      return bar ? rgb(0x202020) : scale(rgb(0xd8e2f0), 0.85f + 0.15f * value_noise(p.x * 8, above * 8, 0x122));
    }
    return {};
  }
};

// --- the basement corridor -------------------------------------------------

constexpr float corridor_half = 1.4f, corridor_height = 2.6f, lamp_spacing = 5.0f;

struct Pipe {
  float x, y, r;
};
constexpr Pipe pipes[] = {{1.05f, 2.35f, 0.12f}, {0.7f, 2.45f, 0.06f}};

struct Corridor : Room {
  int frame;
  explicit Corridor(int f) : frame(f) {}
  Hit intersect(V3 o, V3 d) const override {
    Hit best;
    plane(best, o, d, {1, 0, 0}, corridor_half, wall);
    plane(best, o, d, {1, 0, 0}, -corridor_half, wall);
    plane(best, o, d, {0, 1, 0}, 0, floor_);
    plane(best, o, d, {0, 1, 0}, corridor_height, ceiling);
    plane(best, o, d, {0, 0, 1}, 38, end_wall);
    for (const Pipe& pp : pipes) {
      const V3 c{pp.x, pp.y, 0}, a{0, 0, 1};
      const float t = cylinder(o, d, c, a, pp.r);
      if (t > 0) consider(best, t, pipe, cylinder_normal(o + d * t, c, a));
    }
    return best;
  }
  Rgb albedo(Material m, V3 p) const override {
    const float noise = fbm(p.z * 1.5f, p.y * 2 + p.x, 0x140, 4);
    switch (m) {
      case wall: {
        // Painted block wall: mortar lines, a darker lower band, doors.
        const bool mortar = std::fmod(p.y, 0.2f) < 0.012f ||
                            std::fmod(p.z + (static_cast<int>(p.y / 0.2f) % 2) * 0.2f, 0.4f) < 0.012f;
        Rgb col = p.y < 1.2f ? rgb(0x4a5a68) : rgb(0xb8b4a4);
        const float door = std::fmod(p.z + (p.x > 0 ? 3.0f : 0.0f), 9.0f);
        if (door > 2 && door < 2.9f && p.y < 2.05f) col = p.x > 0 ? rgb(0x6a3a2a) : rgb(0x4a5a4a);
        const float stain = smoothstep(0.2f, 0.7f, fbm(p.z * 0.7f, p.y * 0.9f, 0x141, 4)) * 0.35f;
        return scale(col, (mortar ? 0.7f : 1.0f) * (0.85f + 0.2f * noise) * (1 - stain));
      }
      case floor_: return scale(rgb(0x6e6a62), 0.75f + 0.35f * noise);
      case pipe: return rgb(0x8a8f96);
      case end_wall: return scale(rgb(0x8a8676), 0.9f + 0.1f * noise);
      default: return scale(rgb(0x9a978e), 0.85f + 0.2f * noise);
    }
  }
  Rgb emission(Material m, V3 p) const override {
    if (m != ceiling || std::fabs(p.x) > 0.12f) return {};
    const float k = std::floor(p.z / lamp_spacing);
    if (std::fabs(p.z - (k + 0.5f) * lamp_spacing) > 0.6f) return {};
    return lamp_on(static_cast<int>(k)) ? rgb(0xf4fbff) : rgb(0x303438);
  }
  // One lamp of the first few is out in each picture, a different one each time.
  bool lamp_on(int k) const { return k != frame % 6 + 1; }
};

}  // namespace

Canvas make_stairs(const Recipe& s) {
  // One step further up the stairs with every picture.
  const float z = s.frame * step_run * 0.9f;
  const V3 eye{0.15f, stair_height(z) + 1.6f, z};
  const Stairwell room;
  std::vector<Light> lights = {
      {{0, stair_height(z + 6) + 2.6f, z + 6}, rgb(0xfff0d8), 3.5f},
      {{0, 4.5f, stairs_start + 20 * step_run}, rgb(0xdfe8ff), 1.8f},
      {{0.3f, eye.y + 1.0f, z - 1.5f}, rgb(0xffe6c8), 2.5f},
  };
  Canvas c(s.width, s.height);
  render_room(c, room, eye, 0.28f - s.frame * 0.004f, std::sin(s.frame * 0.5f) * 0.06f, lights,
              rgb(0x1c1a18), 0.04f);
  c.grade(1.1f, 0.9f);
  finish_photo(c, 0x1210 + s.frame, 0.5f, 0.035f);
  return c;
}

Canvas make_basement(const Recipe& s) {
  // Walking down the corridor; lamps fail at random from picture to picture.
  const Corridor room(s.frame);
  const float z = s.frame * 0.8f;
  std::vector<Light> lights;
  for (int k = 0; k < 9; ++k)
    if (room.lamp_on(k)) lights.push_back({{0, corridor_height - 0.1f, (k + 0.5f) * lamp_spacing}, rgb(0xe8f4ff), 3.5f});
  Canvas c(s.width, s.height);
  render_room(c, room, {-0.3f, 1.55f, z}, -0.02f, 0.04f * std::sin(s.frame * 0.9f), lights,
              rgb(0x0c0e10), 0.05f);
  c.grade(1.15f, 0.8f, rgb(0xe6f0e0));
  finish_photo(c, 0x1400 + s.frame, 0.55f, 0.04f);
  return c;
}

Canvas make_elevator(const Recipe& s) {
  // A lobby wall with elevator doors; from picture to picture the car
  // arrives (the floor number counts up) and the doors slide open.
  const float w = static_cast<float>(s.width), h = static_cast<float>(s.height);
  const float open = clamp01((s.frame - 3) / 5.0f);
  Canvas c(s.width, s.height);
  c.shade([&](float x, float y) {
    const float n = fbm(x / 30, y / 30, 0x155, 4);
    const Rgb stone = y > h * 0.86f ? rgb(0x3a3632) : rgb(0x8c8274);
    return scale(stone, 0.8f + 0.2f * n);
  });
  const float dx0 = w * 0.3f, dx1 = w * 0.7f, dy0 = h * 0.2f, dy1 = h * 0.86f;
  // The car behind the doors: a lit box with a mirror and a rail.
  c.fill_rect(dx0, dy0, dx1, dy1, rgb(0xf0e6cc));
  c.fill_rect_gradient(dx0 + 12, dy0 + 8, dx1 - 12, dy1, rgb(0xe6d6b0), rgb(0x8a7a60));
  c.fill_rect(dx0 + 30, dy0 + 30, dx1 - 30, dy1 - 70, rgb(0xb8c4cc), 0.8f);
  c.line(dx0 + 14, dy1 - 60, dx1 - 14, dy1 - 60, 3, rgb(0xd0d0d0));
  c.glow((dx0 + dx1) / 2, dy0 + 10, 120, rgb(0xfff2d0), 0.25f * open);
  // Brushed steel doors.
  const float half = (dx1 - dx0) / 2, slide = half * open;
  auto door = [&](float x0, float x1) {
    if (x1 - x0 < 0.5f) return;
    c.fill_polygon({{x0, dy0}, {x1, dy0}, {x1, dy1}, {x0, dy1}}, [&](float x, float y) {
      const float brush = value_noise(x * 2.5f, y / 40.0f, 0x156) * 0.08f;
      return scale(rgb(0xb4b8bc), 0.75f + brush + 0.25f * (1 - (y - dy0) / (dy1 - dy0)));
    });
    c.line(x1 - 1, dy0, x1 - 1, dy1, 1.2f, rgb(0x303030));
  };
  door(dx0, dx0 + half - slide);
  door(dx0 + half + slide, dx1);
  c.fill_rect(dx0 - 8, dy0 - 8, dx0, dy1, rgb(0x60646a));
  c.fill_rect(dx1, dy0 - 8, dx1 + 8, dy1, rgb(0x60646a));
  c.fill_rect(dx0 - 8, dy0 - 8, dx1 + 8, dy0, rgb(0x60646a));
  // Floor indicator and call buttons.
  c.fill_rect(w * 0.45f, h * 0.06f, w * 0.55f, h * 0.15f, rgb(0x100808));
  draw_text(c, std::to_string(std::min(s.frame + 1, 5)), w * 0.485f, h * 0.075f, 20, rgb(0xff4a20));
  c.glow(w * 0.5f, h * 0.11f, 30, rgb(0xff4a20), 0.3f);
  c.fill_round_rect(dx1 + 24, h * 0.5f, dx1 + 44, h * 0.62f, 4, rgb(0x6a6e74));
  c.fill_circle(dx1 + 34, h * 0.535f, 5, s.frame < 8 ? rgb(0xffe080) : rgb(0xa0a0a0));
  c.fill_circle(dx1 + 34, h * 0.585f, 5, rgb(0xa0a0a0));
  // Light from the car on the lobby floor.
  c.glow((dx0 + dx1) / 2, dy1 + 10, 150 * (0.2f + open), rgb(0xfff0d0), 0.35f * open);
  c.grade(1.1f, 0.9f);
  finish_photo(c, 0x1550 + s.frame, 0.5f, 0.03f);
  return c;
}

}  // namespace assets
