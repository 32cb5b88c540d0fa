// The image store: pictures decoded once at start-up from a list of files,
// plus the back buffer.
#pragma once

#include <cstdint>

#include "image/image.h"

// Entries 0 .. n - 1: the pictures; entry n: the back buffer. Null until loaded.
extern Image** image_store;
extern int32_t image_count;

inline constexpr int32_t back_buffer_width = 400;
inline constexpr int32_t back_buffer_height = 300;

// Decodes the pictures of `paths` (ended by a null entry) in order and
// creates the back buffer. Returns null on success, or the path of the first
// picture that could not be loaded (the store is then freed again and left
// empty).
const char* image_store_try_load(const char* const* paths);

// Start-up form: on failure prints "Couldn't load %s\n" and exits with status 1.
void image_store_load(const char* const* paths);

// Frees every image and the store's array. Whatever points into the images
// (the display list's state records) must be gone first.
void image_store_free();
