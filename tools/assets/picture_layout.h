// What the scenes require of each picture's size. The scenes read pictures
// through fixed rectangles, blur them with the screen's row length, switch
// slots between pictures of one size and place words at fixed positions; this
// table collects those needs per store index so that the asset generator, its
// tests and the player's start-up check agree on them.
#pragma once

#include <cstdint>

#include "image/image.h"
#include "image/image_store.h"

struct PictureSizeRule {
  int32_t min_width;
  int32_t min_height;
  int32_t max_width;     // 0: no upper limit
  int32_t max_height;    // 0: no upper limit
  int32_t same_size_as;  // store index whose exact size this one must have, or -1
  const char* reason;
};

// The rule of store index 0 .. picture_count - 1.
const PictureSizeRule& picture_size_rule(int32_t index);

// True when a picture of width x height meets the rule of `index`; ref_width
// and ref_height are the size of picture same_size_as (ignored without one).
bool picture_size_fits(int32_t index, int32_t width, int32_t height, int32_t ref_width,
                       int32_t ref_height);

// Checks pictures[0 .. picture_count - 1] (none may be null) against the
// table and returns the first store index whose size breaks its rule, or -1.
int32_t first_picture_size_violation(const Image* const* pictures);
