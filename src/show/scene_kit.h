// What every scene builder and update function shares: the builder protocol,
// scene time, picture lookup and the arithmetic conventions of scene code.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "core/effect.h"
#include "core/frame.h"
#include "core/runtime.h"
#include "effects/compositor.h"
#include "image/image_store.h"

inline constexpr double pi = 3.141592653589793;

// First two steps of every builder: free the old scene's objects, empty the list.
inline void begin_scene() { clear_display_list(); }

// Creates an object of an effect type with the given update function (or
// null), prepends it to the display list and returns its state record for
// the builder to fill.
template <class State>
State* add_effect(EffectInitFn init, EffectUpdateFn update) {
  EffectObject* object = effect_create(init, update);
  display_list = list_prepend(object, display_list);
  return static_cast<State*>(object->state);
}

// Adapts a typed update function to the object's untyped update slot.
template <class State, void (*Fn)(State*, int32_t)>
void typed_update(void* state, int32_t now) {
  Fn(static_cast<State*>(state), now);
}

// Scene time: show time minus the cue's time, raised to 0 if negative.
inline int32_t scene_time(int32_t now, int32_t cue_ms) {
  const int32_t t = now - cue_ms;
  return t < 0 ? 0 : t;
}

inline Image* picture(int32_t index) { return image_store[index]; }
inline Image* back_buffer() { return image_store[back_buffer_index]; }

// Conversion of a floating value to a 32-bit integer, truncating toward zero.
inline int32_t trunc_i32(double v) { return static_cast<int32_t>(v); }

// Time raised to a floor (scene time raised to 0, or to a later start).
inline int32_t raised_to(int32_t t, int32_t floor) { return t < floor ? floor : t; }

// Fills a Compositor record to draw the whole of `src` at its own size, one
// to one, with its top-left corner at (x, y) of `dst`.
inline void place_picture(CompositorState* s, Image* src, Image* dst, int32_t x, int32_t y,
                          uint8_t opacity, uint8_t blend) {
  s->src = src;
  s->dst = dst;
  s->src_x = 0;
  s->src_y = 0;
  s->dst_x = x;
  s->dst_y = y;
  s->src_w = s->dst_w = src->width;
  s->src_h = s->dst_h = src->height;
  s->opacity = opacity;
  s->blend = blend;
  s->smooth = 0;
}

// Fills a Compositor record to draw the whole of `src` over the whole of
// `dst`: one to one when the sizes agree, scaled otherwise.
inline void place_stretched(CompositorState* s, Image* src, Image* dst, uint8_t opacity, uint8_t blend) {
  place_picture(s, src, dst, 0, 0, opacity, blend);
  s->dst_w = dst->width;
  s->dst_h = dst->height;
}

// A mask array owned by a mask effect (its destroy frees it): `count` bytes
// of `value`.
inline uint8_t* filled_mask(int32_t count, uint8_t value) {
  auto* mask = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(count), 1));
  std::memset(mask, value, static_cast<size_t>(count));
  return mask;
}

// Adds the scrolling binary strip (image 113) as two objects, created tail
// first, that the scene's updates cut from one vertical loop: a head piece
// and a tail piece 4 rows below it. Both start whole at (7, 217) at
// opacity 127.
inline void add_binary_strip(EffectUpdateFn head, EffectUpdateFn tail);

// Fills a Compositor record to draw the top-left `dst`-sized rectangle of
// `src` over the whole of `dst` (a full-frame copy, replace, or clear).
inline void place_full_frame(CompositorState* s, Image* src, Image* dst, uint8_t opacity,
                             uint8_t blend) {
  s->src = src;
  s->dst = dst;
  s->src_x = 0;
  s->src_y = 0;
  s->dst_x = 0;
  s->dst_y = 0;
  s->src_w = s->dst_w = dst->width;
  s->src_h = s->dst_h = dst->height;
  s->opacity = opacity;
  s->blend = blend;
  s->smooth = 0;
}

inline void add_binary_strip(EffectUpdateFn head, EffectUpdateFn tail) {
  for (EffectUpdateFn update : {tail, head}) {
    place_picture(add_effect<CompositorState>(compositor_init, update), picture(113), &screen_image, 7, 217, 127, 0);
  }
}
