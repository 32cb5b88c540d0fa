// Shared fixture of the show tests: a show made from a complete synthetic
// picture store, drawing into a screen buffer.
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
#include <map>
#include <memory>
#include <vector>

#include "core/effect.h"
#include "core/effect_type.h"
#include "core/frame.h"
#include "image/image.h"
#include "image/image_store.h"
#include "show/scenes/scene.h"
#include "show/show.h"
#include "show/show_files.h"

class ShowFixture : public ::testing::Test {
 protected:
  void SetUp() override;

  // The fixture's pictures (with those resized so far), for a show of the
  // test's own.
  ImageStore make_pictures();
  // The show, made on first use (so that a test can resize pictures first).
  Show& show();
  // Gives picture `index` a size of its own, filled with varied alpha (or
  // opaque); only before the show is made.
  void resize_picture(int32_t index, int32_t width, int32_t height, bool varied_alpha = true);
  // Ends the show and forgets the resized pictures: the next show() is a new
  // show over the fixture's own pictures.
  void forget_show();

  // frame_step over the show's cue table at each time, in order.
  void run(int32_t now);
  void run(std::initializer_list<int32_t> times);
  // frame_step over a caller's cue table.
  void run_with(const Cue* table, int32_t now);
  // Makes cue `cue` the next to fire and runs scene time t of its scene.
  void start(int cue, int32_t t = 0);

  // Number of objects in the display list.
  int list_length();
  // The n-th object in processing order (0 = head); null past the end.
  EffectObject* object_at(int n);
  // Its state record; null past the end or when it is of another type.
  template <class State>
  State* state_at(int n) {
    EffectObject* object = object_at(n);
    return object == nullptr ? nullptr : effect_state<State>(*object);
  }
  // The init functions (types) of the display list, head first.
  std::vector<EffectInitFn> list_types();
  // The current scene's record.
  template <class Record>
  Record& scene_record() {
    return dynamic_cast<Record&>(*show().display_list.scene());
  }

  Image* picture(int32_t id) { return show().picture(id); }
  Image* back() { return show().back_buffer(); }
  Image* screen() { return show().screen(); }
  uint32_t screen_pixel(int32_t x, int32_t y) { return pixel(screen(), x, y); }
  static uint32_t pixel(const Image* image, int32_t x, int32_t y);

  std::vector<uint32_t> screen_buffer;

 private:
  struct Resized {
    int32_t width;
    int32_t height;
    bool varied_alpha;
  };
  std::map<int32_t, Resized> resized_;
  std::unique_ptr<Show> show_;
};
