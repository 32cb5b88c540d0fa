#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace assets {

Rgb mix(Rgb a, Rgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb scale(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }
Rgb add(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
float smoothstep(float e0, float e1, float x) {
  const float t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
float lerp(float a, float b, float t) { return a + (b - a) * t; }

Canvas::Canvas(int width, int height, Rgb fill, float alpha)
    : w_(width), h_(height), px_(static_cast<size_t>(width) * height * 4) {
  for (size_t i = 0; i < px_.size(); i += 4) {
    px_[i] = fill.r;
    px_[i + 1] = fill.g;
    px_[i + 2] = fill.b;
    px_[i + 3] = alpha;
  }
}

Rgb Canvas::colour(int x, int y) const {
  const float* p = at(x, y);
  return {p[0], p[1], p[2]};
}

float Canvas::bilinear(float x, float y, int channel) const {
  x = std::clamp(x - 0.5f, 0.0f, static_cast<float>(w_ - 1));
  y = std::clamp(y - 0.5f, 0.0f, static_cast<float>(h_ - 1));
  const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  const int x1 = std::min(x0 + 1, w_ - 1), y1 = std::min(y0 + 1, h_ - 1);
  const float fx = x - x0, fy = y - y0;
  const float top = lerp(at(x0, y0)[channel], at(x1, y0)[channel], fx);
  const float bottom = lerp(at(x0, y1)[channel], at(x1, y1)[channel], fx);
  return lerp(top, bottom, fy);
}

Rgb Canvas::sample(float x, float y) const { return {bilinear(x, y, 0), bilinear(x, y, 1), bilinear(x, y, 2)}; }

float Canvas::sample_alpha(float x, float y) const { return bilinear(x, y, 3); }

void Canvas::blend(int x, int y, Rgb c, float a) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0) return;
  a = std::min(a, 1.0f);
  float* p = at(x, y);
  const float da = p[3];
  const float out = a + da * (1 - a);
  if (out <= 0) return;
  const float kd = da * (1 - a) / out, ks = a / out;
  p[0] = c.r * ks + p[0] * kd;
  p[1] = c.g * ks + p[1] * kd;
  p[2] = c.b * ks + p[2] * kd;
  p[3] = out;
}

void Canvas::add_light(int x, int y, Rgb c, float a) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  float* p = at(x, y);
  p[0] += c.r * a;
  p[1] += c.g * a;
  p[2] += c.b * a;
}

void Canvas::shade(const std::function<Rgb(float, float)>& f) {
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      const Rgb c = f(x + 0.5f, y + 0.5f);
      float* p = at(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = 1;
    }
}

void Canvas::modulate(const std::function<float(float, float)>& f) {
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      const float k = f(x + 0.5f, y + 0.5f);
      float* p = at(x, y);
      p[0] *= k;
      p[1] *= k;
      p[2] *= k;
    }
}

void Canvas::vertical_gradient(Rgb top, Rgb bottom, float y0, float y1) {
  if (y1 < 0) y1 = static_cast<float>(h_);
  for (int y = 0; y < h_; ++y) {
    const Rgb c = mix(top, bottom, clamp01((y + 0.5f - y0) / (y1 - y0)));
    for (int x = 0; x < w_; ++x) {
      float* p = at(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = 1;
    }
  }
}

void Canvas::cover(float x0, float y0, float x1, float y1,
                   const std::function<float(float, float)>& coverage, Rgb c, float a) {
  const int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
  const int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
  const int ix1 = std::min(w_, static_cast<int>(std::ceil(x1)));
  const int iy1 = std::min(h_, static_cast<int>(std::ceil(y1)));
  for (int y = iy0; y < iy1; ++y)
    for (int x = ix0; x < ix1; ++x) {
      const float k = coverage(x + 0.5f, y + 0.5f);
      if (k > 0) blend(x, y, c, k * a);
    }
}

void Canvas::fill_rect(float x0, float y0, float x1, float y1, Rgb c, float a, float soft) {
  cover(x0 - soft, y0 - soft, x1 + soft, y1 + soft,
        [&](float x, float y) {
          const float d = std::max(std::max(x0 - x, x - x1), std::max(y0 - y, y - y1));
          return clamp01(0.5f - d / soft);
        },
        c, a);
}

void Canvas::fill_rect_gradient(float x0, float y0, float x1, float y1, Rgb top, Rgb bottom,
                                float a) {
  const int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
  const int iy1 = std::min(h_, static_cast<int>(std::ceil(y1)));
  for (int y = iy0; y < iy1; ++y) {
    const Rgb c = mix(top, bottom, clamp01((y + 0.5f - y0) / std::max(1.0f, y1 - y0)));
    fill_rect(x0, std::max(y0, static_cast<float>(y)), x1, std::min(y1, y + 1.0f), c, a, 0.5f);
  }
}

void Canvas::fill_circle(float cx, float cy, float r, Rgb c, float a, float soft) {
  fill_ellipse(cx, cy, r, r, c, a, soft);
}

void Canvas::fill_ellipse(float cx, float cy, float rx, float ry, Rgb c, float a, float soft) {
  cover(cx - rx - soft, cy - ry - soft, cx + rx + soft, cy + ry + soft,
        [&](float x, float y) {
          const float nx = (x - cx) / rx, ny = (y - cy) / ry;
          const float d = (std::sqrt(nx * nx + ny * ny) - 1) * std::min(rx, ry);
          return clamp01(0.5f - d / soft);
        },
        c, a);
}

void Canvas::fill_round_rect(float x0, float y0, float x1, float y1, float radius, Rgb c,
                             float a, float soft) {
  const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const float hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  cover(x0 - soft, y0 - soft, x1 + soft, y1 + soft,
        [&](float x, float y) {
          const float qx = std::max(std::fabs(x - cx) - hx, 0.0f);
          const float qy = std::max(std::fabs(y - cy) - hy, 0.0f);
          const float d = std::sqrt(qx * qx + qy * qy) - radius;
          return clamp01(0.5f - d / soft);
        },
        c, a);
}

void Canvas::line(float x0, float y0, float x1, float y1, float width, Rgb c, float a) {
  const float r = width / 2;
  const float dx = x1 - x0, dy = y1 - y0;
  const float len2 = std::max(dx * dx + dy * dy, 1e-6f);
  cover(std::min(x0, x1) - r - 1, std::min(y0, y1) - r - 1, std::max(x0, x1) + r + 1,
        std::max(y0, y1) + r + 1,
        [&](float x, float y) {
          const float t = clamp01(((x - x0) * dx + (y - y0) * dy) / len2);
          const float ex = x - (x0 + t * dx), ey = y - (y0 + t * dy);
          const float d = std::sqrt(ex * ex + ey * ey) - r;
          // Hairlines keep their brightness proportional to their width.
          return r < 0.5f ? clamp01(0.5f - (d + r - 0.5f)) * width : clamp01(0.5f - d);
        },
        c, a);
}

namespace {
bool inside(const std::vector<Pt>& pts, float x, float y) {
  bool in = false;
  for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
    if ((pts[i].y > y) != (pts[j].y > y) &&
        x < (pts[j].x - pts[i].x) * (y - pts[i].y) / (pts[j].y - pts[i].y) + pts[i].x)
      in = !in;
  }
  return in;
}
}  // namespace

void Canvas::fill_polygon(const std::vector<Pt>& pts, const std::function<Rgb(float, float)>& f,
                          float a) {
  if (pts.size() < 3) return;
  float x0 = pts[0].x, x1 = x0, y0 = pts[0].y, y1 = y0;
  for (const Pt& p : pts) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  const int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
  const int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
  const int ix1 = std::min(w_, static_cast<int>(std::ceil(x1)));
  const int iy1 = std::min(h_, static_cast<int>(std::ceil(y1)));
  for (int y = iy0; y < iy1; ++y)
    for (int x = ix0; x < ix1; ++x) {
      int n = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) n += inside(pts, x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4);
      if (n) blend(x, y, f(x + 0.5f, y + 0.5f), a * n / 16.0f);
    }
}

void Canvas::fill_polygon(const std::vector<Pt>& pts, Rgb c, float a) {
  fill_polygon(pts, [c](float, float) { return c; }, a);
}

void Canvas::glow(float cx, float cy, float r, Rgb c, float strength) {
  const int x0 = std::max(0, static_cast<int>(cx - r)), x1 = std::min(w_, static_cast<int>(cx + r) + 1);
  const int y0 = std::max(0, static_cast<int>(cy - r)), y1 = std::min(h_, static_cast<int>(cy + r) + 1);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const float dx = (x + 0.5f - cx) / r, dy = (y + 0.5f - cy) / r;
      const float d2 = dx * dx + dy * dy;
      if (d2 >= 1) continue;
      const float k = (1 - d2) * (1 - d2);
      add_light(x, y, c, k * k * strength);
    }
}

void Canvas::draw(const Canvas& layer, int dx, int dy, float a) {
  for (int y = 0; y < layer.h_; ++y)
    for (int x = 0; x < layer.w_; ++x) {
      const float* p = layer.at(x, y);
      if (p[3] > 0) blend(x + dx, y + dy, {p[0], p[1], p[2]}, p[3] * a);
    }
}

void Canvas::draw_add(const Canvas& layer, int dx, int dy, float a) {
  for (int y = 0; y < layer.h_; ++y)
    for (int x = 0; x < layer.w_; ++x) {
      const float* p = layer.at(x, y);
      add_light(x + dx, y + dy, {p[0], p[1], p[2]}, p[3] * a);
    }
}

void Canvas::blur(float radius) {
  const int r = std::max(1, static_cast<int>(radius * 0.58f + 0.5f));
  std::vector<float> line;
  auto pass = [&](int n, int count, auto index) {
    line.resize(static_cast<size_t>(n) * 4);
    for (int k = 0; k < count; ++k) {
      for (int i = 0; i < n; ++i)
        for (int c = 0; c < 4; ++c) line[i * 4 + c] = px_[index(k, i) + c];
      float sum[4] = {0, 0, 0, 0};
      auto get = [&](int i, int c) { return line[std::clamp(i, 0, n - 1) * 4 + c]; };
      for (int i = -r; i <= r; ++i)
        for (int c = 0; c < 4; ++c) sum[c] += get(i, c);
      for (int i = 0; i < n; ++i) {
        for (int c = 0; c < 4; ++c) {
          px_[index(k, i) + c] = sum[c] / (2 * r + 1);
          sum[c] += get(i + r + 1, c) - get(i - r, c);
        }
      }
    }
  };
  for (int round = 0; round < 3; ++round) {
    pass(w_, h_, [&](int row, int i) { return (static_cast<size_t>(row) * w_ + i) * 4; });
    pass(h_, w_, [&](int col, int i) { return (static_cast<size_t>(i) * w_ + col) * 4; });
  }
}

void Canvas::grain(uint64_t seed, float amount) {
  Rng rng(seed);
  for (size_t i = 0; i < px_.size(); i += 4) {
    const float n = (rng.uniform() + rng.uniform() - 1) * amount;
    px_[i] += n;
    px_[i + 1] += n;
    px_[i + 2] += n;
  }
}

void Canvas::vignette(float strength) {
  modulate([&](float x, float y) {
    const float dx = (x / w_ - 0.5f) * 2, dy = (y / h_ - 0.5f) * 2;
    return 1 - strength * clamp01((dx * dx + dy * dy) * 0.5f);
  });
}

void Canvas::grade(float contrast, float saturation, Rgb tint) {
  for (size_t i = 0; i < px_.size(); i += 4) {
    float* p = &px_[i];
    const float l = p[0] * 0.3f + p[1] * 0.59f + p[2] * 0.11f;
    const float t[3] = {tint.r, tint.g, tint.b};
    for (int c = 0; c < 3; ++c) {
      float v = l + (p[c] - l) * saturation;
      v = (v - 0.5f) * contrast + 0.5f;
      p[c] = v * t[c];
    }
  }
}

Canvas Canvas::crop(int x, int y, int w, int h) const {
  Canvas out(w, h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const float* s = at(std::clamp(x + i, 0, w_ - 1), std::clamp(y + j, 0, h_ - 1));
      float* d = out.at(i, j);
      std::copy(s, s + 4, d);
    }
  return out;
}

Canvas Canvas::resized(int w, int h) const {
  Canvas out(w, h);
  const float sx = static_cast<float>(w_) / w, sy = static_cast<float>(h_) / h;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int x0 = static_cast<int>(i * sx), x1 = std::max(x0 + 1, static_cast<int>((i + 1) * sx));
      const int y0 = static_cast<int>(j * sy), y1 = std::max(y0 + 1, static_cast<int>((j + 1) * sy));
      float sum[4] = {0, 0, 0, 0};
      int n = 0;
      for (int y = y0; y < std::min(y1, h_); ++y)
        for (int x = x0; x < std::min(x1, w_); ++x) {
          const float* p = at(x, y);
          for (int c = 0; c < 4; ++c) sum[c] += p[c];
          ++n;
        }
      float* d = out.at(i, j);
      for (int c = 0; c < 4; ++c) d[c] = n ? sum[c] / n : 0;
    }
  return out;
}

uint64_t hash64(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

uint64_t Rng::next() {
  s_ += 0x9E3779B97F4A7C15ull;
  uint64_t z = s_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
float Rng::uniform() { return static_cast<float>(next() >> 40) / 16777216.0f; }
float Rng::range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
int Rng::below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

namespace {
float lattice(int x, int y, uint32_t seed) {
  const uint64_t h = hash64((static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) ^
                            static_cast<uint32_t>(y) ^ (static_cast<uint64_t>(seed) << 17));
  return static_cast<float>(h >> 40) / 8388608.0f - 1.0f;
}
}  // namespace

float value_noise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * tx * (tx * (tx * 6 - 15) + 10);
  ty = ty * ty * ty * (ty * (ty * 6 - 15) + 10);
  const float a = lattice(ix, iy, seed), b = lattice(ix + 1, iy, seed);
  const float c = lattice(ix, iy + 1, seed), d = lattice(ix + 1, iy + 1, seed);
  return lerp(lerp(a, b, tx), lerp(c, d, tx), ty);
}

float fbm(float x, float y, uint32_t seed, int octaves, float lacunarity, float gain) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * value_noise(x, y, seed + i * 1013);
    norm += amp;
    x = x * lacunarity + 17.3f;
    y = y * lacunarity - 9.1f;
    amp *= gain;
  }
  return sum / norm;
}

float ridged(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    const float n = 1 - std::fabs(value_noise(x, y, seed + i * 733));
    sum += amp * n * n;
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}

}  // namespace assets
