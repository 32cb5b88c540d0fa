// Start-up check of the decoded pictures against what the scenes need of
// their sizes (picture_needs.h). It runs once the image store is loaded,
// before the show starts, in the player and in the offline renderer.
#pragma once

#include <span>
#include <string>

#include "image/image.h"
#include "show/show_files.h"

// Checks pictures[0 .. picture_count - 1] (the image store's pictures) in
// store order; `paths` are the files they came from, as the line
// names them (the table's own paths unless the data came from elsewhere).
// Returns the empty string when every picture meets every need; otherwise one line, without a newline, about the first picture
// that misses one: its path, its size and the need, for example
//   "Picture data/lapinkulta.jpg is 1158x300 pixels; the show needs at least
//    1159x300 (a 400x300 view scrolls across it up to column 759)".
std::string picture_size_check(std::span<const Image> pictures, const char* const* paths = picture_paths);
