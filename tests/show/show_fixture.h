// Shared fixture of the show tests: a complete synthetic image store, a
// screen buffer, and the runtime globals reset to the start of a show.
//
// Picture sizes meet what every scene reads: wide photographs 1200x320,
// photographs read one to one or blurred exactly 400x300, word pictures
// 80x20 (labels 140x24 so that a 100-column label window fits), thumbnails
// 36x36, the binary strip 40x120. Pixel content is deterministic noise;
// word pictures and thumbnails carry varied alpha (0, 255 and values in
// between), photographs are opaque like decoded JPEG files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/effect.h"
#include "core/frame.h"
#include "core/runtime.h"
#include "image/image.h"
#include "show/show_files.h"

struct PictureSize {
  int32_t width;
  int32_t height;
};

// The size the fixture gives picture `index` (0..223).
PictureSize fixture_picture_size(int32_t index);

// Fills an image with the fixture's deterministic content for `seed`.
// With `varied_alpha` the alpha byte takes 0, 255 and values in between;
// otherwise it is always 255.
void fill_fixture_picture(Image* image, uint32_t seed, bool varied_alpha);

class ShowFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // frame_step over the show's cue table at each time, in order.
  void run(int32_t now);
  void run(std::initializer_list<int32_t> times);
  // frame_step over a caller's cue table.
  void run_with(const Cue* table, int32_t now);

  // Number of objects in the display list.
  int list_length() const;
  // The n-th object in processing order (0 = head); null past the end.
  EffectObject* object_at(int n) const;
  template <class State>
  State* state_at(int n) const {
    EffectObject* object = object_at(n);
    return object == nullptr ? nullptr : static_cast<State*>(object->state);
  }
  // The init functions (types) of the display list, head first.
  std::vector<EffectInitFn> list_types() const;

  uint32_t screen_pixel(int32_t x, int32_t y) const;
  static uint32_t pixel(const Image* image, int32_t x, int32_t y);

  std::vector<uint32_t> screen_buffer;
};
