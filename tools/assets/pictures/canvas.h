// A small floating-point RGBA canvas with the drawing primitives the picture
// generators share: anti-aliased shapes, gradients, layers, blur and noise.
// Colours are straight (not premultiplied) RGB in 0..1 with a coverage alpha.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace assets {

struct Rgb {
  float r = 0, g = 0, b = 0;
};

constexpr Rgb rgb(int hex) {
  return {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f};
}
Rgb mix(Rgb a, Rgb b, float t);
Rgb scale(Rgb c, float k);
Rgb add(Rgb a, Rgb b);
float clamp01(float v);
float smoothstep(float e0, float e1, float x);
float lerp(float a, float b, float t);

struct Pt {
  float x, y;
};

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height, Rgb fill = {}, float alpha = 1.0f);

  int width() const { return w_; }
  int height() const { return h_; }
  float* at(int x, int y) { return &px_[(static_cast<size_t>(y) * w_ + x) * 4]; }
  const float* at(int x, int y) const { return &px_[(static_cast<size_t>(y) * w_ + x) * 4]; }
  Rgb colour(int x, int y) const;
  // Bilinear read with clamped coordinates.
  Rgb sample(float x, float y) const;
  float sample_alpha(float x, float y) const;

  // Source-over of colour c with coverage a at one pixel.
  void blend(int x, int y, Rgb c, float a);
  // Adds c * a to the colour of one pixel (light).
  void add_light(int x, int y, Rgb c, float a);

  // Per-pixel procedural fill: f(x, y) returns the colour of the pixel centre.
  void shade(const std::function<Rgb(float, float)>& f);
  // Multiplies every pixel by f(x, y) (lighting, vignettes).
  void modulate(const std::function<float(float, float)>& f);

  void vertical_gradient(Rgb top, Rgb bottom, float y0 = 0, float y1 = -1);

  // Anti-aliased shapes; `a` is the opacity, `soft` widens the edge in pixels.
  void fill_rect(float x0, float y0, float x1, float y1, Rgb c, float a = 1, float soft = 1);
  void fill_rect_gradient(float x0, float y0, float x1, float y1, Rgb top, Rgb bottom,
                          float a = 1);
  void fill_circle(float cx, float cy, float r, Rgb c, float a = 1, float soft = 1);
  void fill_ellipse(float cx, float cy, float rx, float ry, Rgb c, float a = 1, float soft = 1);
  void fill_round_rect(float x0, float y0, float x1, float y1, float radius, Rgb c,
                       float a = 1, float soft = 1);
  void line(float x0, float y0, float x1, float y1, float width, Rgb c, float a = 1);
  // Even-odd polygon, 4x4 supersampled coverage.
  void fill_polygon(const std::vector<Pt>& pts, Rgb c, float a = 1);
  // Polygon shaded per pixel.
  void fill_polygon(const std::vector<Pt>& pts, const std::function<Rgb(float, float)>& f,
                    float a = 1);
  // Soft radial light added to the colours.
  void glow(float cx, float cy, float r, Rgb c, float strength);

  // Composites `layer` at (dx, dy) with source-over, or as added light.
  void draw(const Canvas& layer, int dx, int dy, float a = 1);
  void draw_add(const Canvas& layer, int dx, int dy, float a = 1);

  // Three box passes per axis: close to a gaussian of the given radius.
  void blur(float radius);
  // Independent grain per pixel, deterministic from the seed.
  void grain(uint64_t seed, float amount);
  void vignette(float strength);
  // Brightness/contrast/saturation grade.
  void grade(float contrast, float saturation, Rgb tint = {1, 1, 1});

  Canvas crop(int x, int y, int w, int h) const;
  // Area-averaged resize (for thumbnails and supersampled renders).
  Canvas resized(int w, int h) const;

 private:
  // Channel `channel` (0..3: red, green, blue, alpha) between the four
  // nearest pixel centres, clamped at the edges.
  float bilinear(float x, float y, int channel) const;
  void cover(float x0, float y0, float x1, float y1,
             const std::function<float(float, float)>& coverage, Rgb c, float a);
  int w_ = 0, h_ = 0;
  std::vector<float> px_;
};

// Deterministic generator of our own (splitmix64).
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t next();
  float uniform();                      // [0, 1)
  float range(float lo, float hi);      // [lo, hi)
  int below(int n);                     // 0 .. n - 1

 private:
  uint64_t s_;
};

uint64_t hash64(uint64_t x);

// Smooth value noise in about -1..1 and its fractal sum.
float value_noise(float x, float y, uint32_t seed);
float fbm(float x, float y, uint32_t seed, int octaves = 5, float lacunarity = 2.0f,
          float gain = 0.5f);
// Ridged variant: sharp crests (clouds edges, rock, water caustics).
float ridged(float x, float y, uint32_t seed, int octaves = 4);

}  // namespace assets
