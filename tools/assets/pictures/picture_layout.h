// The sizes the generator gives its pictures so that they look right where
// the scenes put them: word boxes that end before the next word, thumbnails
// that fit their 41-pixel slots, a title that fits its bar, a strip of whole
// 11-row lines, photographs exactly screen-sized where a scene copies them
// one to one. These are this generator's layout choices, far narrower than
// what the show accepts (src/show/picture_needs.h); its tests check its
// output against both.
#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"
#include "show/show_files.h"

namespace assets {

struct LayoutTarget {
  int32_t min_width;
  int32_t min_height;
  int32_t max_width;     // 0: no upper limit
  int32_t max_height;    // 0: no upper limit
  int32_t same_size_as;  // store index whose exact size this one must have, or -1
  const char* reason;
};

// The target of store index 0 .. picture_count - 1.
const LayoutTarget& layout_target(int32_t index);

// True when a picture of width x height meets the target of `index`;
// ref_width and ref_height are the size of picture same_size_as (ignored
// without one).
bool layout_target_met(int32_t index, int32_t width, int32_t height, int32_t ref_width, int32_t ref_height);

// Checks pictures[0 .. picture_count - 1] against the
// targets and returns the first store index whose size misses its target, or -1.
int32_t first_layout_miss(std::span<const Image> pictures);

}  // namespace assets
