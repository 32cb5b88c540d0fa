// Scalar box blur, any window length: the reference the vector kernels
// match bit for bit, and the kernels wherever there are none (and for
// windows too long for 16-bit lanes).
#include <algorithm>
#include <cstddef>

#include "effects/blur_kernels.h"

namespace {

inline void add_channels(uint64_t* s, uint32_t p, int64_t count) {
  const uint64_t c = static_cast<uint64_t>(count);
  s[0] += (p & 0xFFu) * c;
  s[1] += ((p >> 8) & 0xFFu) * c;
  s[2] += ((p >> 16) & 0xFFu) * c;
  s[3] += (p >> 24) * c;
}

inline void sub_channels(uint64_t* s, uint32_t p) {
  s[0] -= p & 0xFFu;
  s[1] -= (p >> 8) & 0xFFu;
  s[2] -= (p >> 16) & 0xFFu;
  s[3] -= p >> 24;
}

inline uint32_t pack_quotients(const uint64_t* s, uint64_t n) {
  return static_cast<uint32_t>(s[0] / n) | static_cast<uint32_t>(s[1] / n) << 8 |
         static_cast<uint32_t>(s[2] / n) << 16 | static_cast<uint32_t>(s[3] / n) << 24;
}

// Sliding clamped window over `count` pixels `stride` words apart: out[i] is
// the average of in[clamp(i + j)] for j = -a .. b. Window sums of up to
// 255 * 2^31 fit easily in 64 bits.
void blur_line_scalar(const uint32_t* in, uint32_t* out, std::ptrdiff_t stride, int32_t count, int64_t n) {
  const int64_t a = (n - 1) / 2;
  const int64_t b = n / 2;
  const int64_t last = count - 1;
  auto at = [&](int64_t i) { return in[std::clamp<int64_t>(i, 0, last) * stride]; };
  uint64_t s[4] = {0, 0, 0, 0};
  // Window of position 0: a + 1 copies of the first pixel, pixels 1 .. b
  // that exist, and copies of the last pixel for positions beyond it.
  add_channels(s, in[0], a + 1);
  const int64_t direct = std::min(b, last);
  for (int64_t j = 1; j <= direct; ++j) add_channels(s, in[j * stride], 1);
  if (b > last) add_channels(s, in[last * stride], b - last);
  const uint64_t un = static_cast<uint64_t>(n);
  for (int64_t i = 0; i < count; ++i) {
    out[i * stride] = pack_quotients(s, un);
    add_channels(s, at(i + 1 + b), 1);
    sub_channels(s, at(i - a));
  }
}

void horizontal_scalar(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider&,
                       uint16_t*) {
  for (int32_t y = 0; y < h; ++y) {
    const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(y) * w;
    blur_line_scalar(src + offset, dst + offset, 1, w, n);
  }
}

void vertical_scalar(const uint32_t* src, uint32_t* dst, int32_t w, int32_t h, int32_t n, const LaneDivider&,
                     uint16_t*) {
  for (int32_t x = 0; x < w; ++x) blur_line_scalar(src + x, dst + x, w, h, n);
}

}  // namespace

constinit const BlurKernels blur_kernels_scalar{horizontal_scalar, vertical_scalar};
