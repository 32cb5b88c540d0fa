// The vocabulary of scene code: its arithmetic conventions, white flashes,
// placing pictures and the binary strip.
#pragma once

#include <cstdint>

#include "show/scenes/scene.h"
#include "show/show_files.h"

inline constexpr double pi = 3.141592653589793;

// Conversion of a floating value to a 32-bit integer, truncating toward zero.
inline int32_t trunc_i32(double v) { return static_cast<int32_t>(v); }

// The colour of a white flash at `strength` (its alpha byte); a strength
// below 0 is a flash that is over (no colour at all).
inline uint32_t white(int32_t strength) { return (static_cast<uint32_t>(strength) << 24) | 0x00FFFFFFu; }
inline uint32_t white_flash(int32_t strength) { return strength < 0 ? 0u : white(strength); }

// Fills a Compositor record to draw the whole of `src` at its own size, one
// to one, with its top-left corner at (x, y) of `dst`.
inline void place_picture(CompositorState& s, Image* src, Image* dst, int32_t x, int32_t y, uint8_t opacity,
                          blend::Rule blend) {
  s = {.src = src,
       .dst = dst,
       .src_x = 0,
       .src_y = 0,
       .dst_x = x,
       .dst_y = y,
       .src_w = src->width,
       .src_h = src->height,
       .dst_w = src->width,
       .dst_h = src->height,
       .opacity = opacity,
       .blend = blend,
       .smooth = 0};
}

// Points a Compositor record at `picture`, drawn one to one at its own size
// (its place, opacity and rule stay as they are).
inline void set_picture(CompositorState& s, Image* picture) {
  s.src = picture;
  s.src_w = s.dst_w = picture->width;
  s.src_h = s.dst_h = picture->height;
}

// Which of the four 4000 ms blocks of a 16 s scene time `t` (0 or more) is in.
inline int32_t block_of(int32_t t) { return t / 4000 < 3 ? t / 4000 : 3; }

// Fills a Compositor record to draw the whole of `src` over the whole of
// `dst`: one to one when the sizes agree, scaled otherwise.
inline void place_stretched(CompositorState& s, Image* src, Image* dst, uint8_t opacity, blend::Rule blend) {
  place_picture(s, src, dst, 0, 0, opacity, blend);
  s.dst_w = dst->width;
  s.dst_h = dst->height;
}

// Fills a Compositor record to draw the top-left `dst`-sized rectangle of
// `src` over the whole of `dst` (a full-frame copy, replace, or clear).
inline void place_full_frame(CompositorState& s, Image* src, Image* dst, uint8_t opacity, blend::Rule blend) {
  place_picture(s, src, dst, 0, 0, opacity, blend);
  s.src_w = s.dst_w = dst->width;
  s.src_h = s.dst_h = dst->height;
}

// Adds the scrolling binary strip (pic::binary) as two objects that the
// scene's updates cut from one vertical loop: a head piece and, after it, a
// tail piece 4 rows below it. Both start whole at (7, 217) at opacity 127.
template <class Record, class R1, class R2>
void add_binary_strip(SceneBuilder<Record>& b, Update<CompositorState, R1> head, Update<CompositorState, R2> tail) {
  place_picture(b.add(head), b.picture(pic::binary), b.screen(), 7, 217, 127, blend::alpha);
  place_picture(b.add(tail), b.picture(pic::binary), b.screen(), 7, 217, 127, blend::alpha);
}
