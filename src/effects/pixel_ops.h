// Per-pixel rules shared by the effect types, written once on packed
// 0xAARRGGBB words. These scalar forms are the reference the fast kernels
// must match bit for bit.
#pragma once

#include <cstdint>

// Channel scaling by a factor k = byte + 1 (1..256): each colour channel v
// becomes (v * k) >> 8; alpha is cleared.
// Red and blue are scaled together: (p & 0xFF00FF) * k stays below 2^32
// (0xFF00FF * 256 = 0xFF00FF00) and blue's product (< 0x10000) never reaches
// red's byte, so one multiply, shift and mask serves both. Green alone:
// (p & 0xFF00) * k < 2^24, shifted back into place.
inline uint32_t scale_rgb(uint32_t p, uint32_t k) {
  return ((((p & 0xFF00FFu) * k) >> 8) & 0xFF00FFu) | ((((p & 0xFF00u) * k) >> 8) & 0xFF00u);
}

// Saturating add of two words' colours, alpha forced to 255. Each channel is
// t = (a_c & 0xFE) + (b_c & 0xFE); the result is 255 when t >= 256, else t + 1.
// With bit 0 of every channel cleared the three sums add as one integer and
// a channel's carry lands in bit 0 of the channel above (bits 8, 16, 24).
// The fill mask, per byte lane above a channel holding its carry c:
// (0x80 | c) - 1 is 0x80 for c = 1 and 0x7F for c = 0 (no borrow leaves the
// lane); complemented that is 0x7F or 0x80, and the untouched lowest byte
// complements to 0xFF. Shifted right by 7, a 0x7F lane puts 0xFE over the
// overflowed channel below it, and a 0x80 lane (or the lowest byte) sets bit
// 0 of the channel above. So an overflowed channel gets bits 1-7 from the
// mask and bit 0 from its own carry in the sum (255), and every other
// channel gets bit 0 set on its even sum (t + 1).
inline uint32_t saturating_add(uint32_t a, uint32_t b) {
  const uint32_t sum = (a & 0xFEFEFEu) + (b & 0xFEFEFEu);
  const uint32_t carries = sum & 0x1010100u;
  const uint32_t fill = (~((carries | 0x80808000u) + 0xFEFEFF00u)) >> 7;
  return sum | fill | 0xFF000000u;
}

// Scaling factor of a blended source pixel: a = ((alpha + 1) * k) >> 8 for
// the pixel's alpha byte and the call's factor k = opacity + 1. Both factors
// are 1..256, so a is 0..256; with k = 256 it is exactly alpha + 1.
inline uint32_t blend_factor(uint32_t pixel, uint32_t k) {
  return (((pixel >> 24) + 1u) * k) >> 8;
}

// Alpha blend: each colour channel ((s * a) >> 8) + ((d * (257 - a)) >> 8),
// alpha 255. scale_rgb is exact for factors up to 257: 0xFF00FF * 257 is
// 0xFFFFFFFF, still inside 32 bits, and blue's product (<= 0xFFFF) stays
// below red's lane. The two terms of a channel never sum above 255
// (255 * a / 256 + 255 * (257 - a) / 256 < 256), so the words add without
// carries between channels.
inline uint32_t alpha_blend(uint32_t src, uint32_t dst, uint32_t k) {
  const uint32_t a = blend_factor(src, k);
  return (scale_rgb(src, a) + scale_rgb(dst, 257u - a)) | 0xFF000000u;
}

// Additive blend: the source scaled by its blend factor, saturating-added to
// the destination.
inline uint32_t additive_blend(uint32_t src, uint32_t dst, uint32_t k) {
  return saturating_add(scale_rgb(src, blend_factor(src, k)), dst);
}

// Replace with an opacity below full (k <= 255): the source scaled by its
// blend factor, alpha 255. (k = 256 copies the word unchanged and k = 1
// clears to 0; both are handled by the callers.)
inline uint32_t scaled_replace(uint32_t src, uint32_t k) {
  return scale_rgb(src, blend_factor(src, k)) | 0xFF000000u;
}

// Linear mix of two words in all four channels with weight f (0..255) on q:
// per byte ((p * (256 - f)) >> 8) + ((q * f) >> 8). Each product fits in 16
// bits (255 * 256) and the two terms sum to at most 255
// (255 * (256 - f) / 256 + 255 * f / 256 = 255 * 256 / 256), so the bytes
// pack back without carries. Pairs of channels are scaled in one multiply
// as in scale_rgb (0xFF00FF * 256 fits in 32 bits).
inline uint32_t lerp_bytes(uint32_t p, uint32_t q, uint32_t f) {
  const uint32_t g = 256u - f;
  const uint32_t rb = ((((p & 0xFF00FFu) * g) >> 8) & 0xFF00FFu) +
                      ((((q & 0xFF00FFu) * f) >> 8) & 0xFF00FFu);
  const uint32_t ag = ((((p >> 8) & 0xFF00FFu) * g) & 0xFF00FF00u) +
                      ((((q >> 8) & 0xFF00FFu) * f) & 0xFF00FF00u);
  return rb | ag;
}

// Bilinear sample from the four neighbours: rows mixed by fx, then the two
// rows by fy.
inline uint32_t bilinear_sample(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11,
                                uint32_t fx, uint32_t fy) {
  return lerp_bytes(lerp_bytes(p00, p01, fx), lerp_bytes(p10, p11, fx), fy);
}
