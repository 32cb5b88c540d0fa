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
