// A deliberately plain Compositor: every pixel read and written one after
// the other straight from the images, channel by channel, positions by
// repeated addition. The fast render must match it bit for bit. It follows
// the same source guards as the real one (source pixels outside the source
// image are not drawn on the one-to-one path; the scaled path samples the
// nearest edge pixel).
#pragma once

#include <cstdint>

#include "effects/compositor.h"

namespace reference {

inline uint32_t channel(uint32_t p, int c) { return (p >> (8 * c)) & 0xFFu; }

inline uint32_t pack(const uint32_t ch[4]) {
  return ch[0] | (ch[1] << 8) | (ch[2] << 16) | (ch[3] << 24);
}

inline uint32_t factor(uint32_t src, uint32_t k) { return ((channel(src, 3) + 1) * k) >> 8; }

inline uint32_t blend0(uint32_t s, uint32_t d, uint32_t k) {
  const uint32_t a = factor(s, k);
  uint32_t out[4];
  for (int c = 0; c < 3; ++c) out[c] = ((channel(s, c) * a) >> 8) + ((channel(d, c) * (257 - a)) >> 8);
  out[3] = 255;
  return pack(out);
}

inline uint32_t saturate(uint32_t x, uint32_t y) {
  const uint32_t t = (x & 0xFEu) + (y & 0xFEu);
  return t >= 256 ? 255 : t + 1;
}

inline uint32_t blend1(uint32_t s, uint32_t d, uint32_t k) {
  const uint32_t a = factor(s, k);
  uint32_t out[4];
  for (int c = 0; c < 3; ++c) out[c] = saturate((channel(s, c) * a) >> 8, channel(d, c));
  out[3] = 255;
  return pack(out);
}

inline uint32_t blend2(uint32_t s, uint32_t k) {
  if (k == 1) return 0;
  if (k == 256) return s;
  const uint32_t a = factor(s, k);
  uint32_t out[4];
  for (int c = 0; c < 3; ++c) out[c] = (channel(s, c) * a) >> 8;
  out[3] = 255;
  return pack(out);
}

inline uint32_t add_colour(uint32_t d, uint32_t colour) {
  const uint32_t k = channel(colour, 3) + 1;
  uint32_t out[4];
  for (int c = 0; c < 3; ++c) out[c] = saturate((channel(colour, c) * k) >> 8, channel(d, c));
  out[3] = 255;
  return pack(out);
}

inline uint32_t lerp(uint32_t p, uint32_t q, uint32_t f) {
  uint32_t out[4];
  for (int c = 0; c < 4; ++c) out[c] = ((channel(p, c) * (256 - f)) >> 8) + ((channel(q, c) * f) >> 8);
  return pack(out);
}

inline int64_t clamp(int64_t v, int64_t size) { return v < 0 ? 0 : (v >= size ? size - 1 : v); }

inline void render(const CompositorState& st) {
  Image& dst = *st.dst;
  if (st.dst_x >= dst.width || st.dst_y >= dst.height) return;
  const uint32_t k = st.opacity + 1u;
  auto dst_px = [&](int64_t x, int64_t y) -> uint32_t& { return dst.pixels[y * dst.width + x]; };
  const Image& src = *st.src;
  auto src_px = [&](int64_t x, int64_t y) -> uint32_t { return src.pixels[y * src.width + x]; };

  if (st.src_w == st.dst_w && st.src_h == st.dst_h) {
    int64_t w = st.src_w, h = st.src_h;
    if (st.dst_x + w > dst.width) w = dst.width - int64_t{st.dst_x};
    if (st.dst_y + h > dst.height) h = dst.height - int64_t{st.dst_y};
    for (int64_t j = 0; j < h; ++j) {
      for (int64_t i = 0; i < w; ++i) {
        const int64_t x = st.dst_x + i, y = st.dst_y + j;
        if (x < 0 || y < 0) continue;
        const int rule = static_cast<int>(st.blend);
        if (rule == 2 && k == 1) {
          dst_px(x, y) = 0;
          continue;
        }
        if (rule > 2 || k == 1) continue;
        const int64_t sx = st.src_x + i, sy = st.src_y + j;
        if (sx < 0 || sy < 0 || sx >= src.width || sy >= src.height) continue;
        const uint32_t s = src_px(sx, sy);
        uint32_t& d = dst_px(x, y);
        d = rule == 0 ? blend0(s, d, k) : rule == 1 ? blend1(s, d, k) : blend2(s, k);
      }
    }
    return;
  }

  int64_t w = st.src_w, h = st.src_h, dw = st.dst_w, dh = st.dst_h;
  if (st.dst_x + dw > dst.width) {
    const int64_t cut = dst.width - int64_t{st.dst_x};
    w = static_cast<int64_t>((static_cast<double>(cut) / st.dst_w) * st.src_w);
    dw = cut;
  }
  if (st.dst_y + dh > dst.height) {
    const int64_t cut = dst.height - int64_t{st.dst_y};
    h = static_cast<int64_t>((static_cast<double>(cut) / st.dst_h) * st.src_h);
    dh = cut;
  }
  if (dw <= 0 || dh <= 0 || k <= 1) return;
  const double step_x = static_cast<double>(w) / static_cast<double>(dw);
  const double step_y = static_cast<double>(h) / static_cast<double>(dh);
  double sy = st.src_y;
  for (int64_t r = 0; r < dh; ++r) {
    double sx = st.src_x;
    const int64_t y = st.dst_y + r;
    for (int64_t c = 0; c < dw; ++c) {
      const int64_t x = st.dst_x + c;
      if (x >= 0 && y >= 0) {
        const int64_t ix = static_cast<int64_t>(sx), iy = static_cast<int64_t>(sy);
        if (st.smooth == 0) {
          dst_px(x, y) = src_px(clamp(ix, src.width), clamp(iy, src.height));
        } else {
          const uint32_t fx = static_cast<uint32_t>(static_cast<int64_t>(sx * 256.0) & 0xFF);
          const uint32_t fy = static_cast<uint32_t>(static_cast<int64_t>(sy * 256.0) & 0xFF);
          const int64_t x0 = clamp(ix, src.width), x1 = clamp(ix + 1, src.width);
          const int64_t y0 = clamp(iy, src.height), y1 = clamp(iy + 1, src.height);
          const uint32_t top = lerp(src_px(x0, y0), src_px(x1, y0), fx);
          const uint32_t bottom = lerp(src_px(x0, y1), src_px(x1, y1), fx);
          dst_px(x, y) = lerp(top, bottom, fy);
        }
      }
      sx += step_x;
    }
    sy += step_y;
  }
}

}  // namespace reference
