// Start-up check of the decoded pictures against what the scenes require of
// their sizes (the table of picture_sizes.h). The scenes read pictures through
// fixed rectangles without clipping the source, so a picture of the wrong size
// would have them read outside its pixels: the show refuses to start instead.
#pragma once

#include <cstdint>
#include <string>

#include "image/image.h"

// Checks pictures[0 .. picture_count - 1] (the image store's pictures, none
// null) in store order. Returns the empty string when every picture fits its
// rule; otherwise one line, without a newline, about the first picture that
// does not: its path, its size and the size needed, for example
//   "Picture data/laptop3.jpg is 640x480 pixels; the show needs exactly
//    400x300 (the size of data/laptop1.jpg)".
std::string picture_size_check(const Image* const* pictures);

// The same line for store index `index` alone (empty when it fits). Pictures
// whose rule names another picture's size read that one too.
std::string picture_size_problem(int32_t index, const Image* const* pictures);
