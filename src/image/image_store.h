// The image store: every picture of the show, decoded once at start-up, plus
// the back buffer. Scenes name pictures by their store index.
#pragma once

#include <cstdint>

#include "image/image.h"

inline constexpr int32_t picture_count = 224;
inline constexpr int32_t back_buffer_index = 224;

// The 224 picture paths in store order, followed by a null entry.
extern const char* const picture_paths[picture_count + 1];

// Entries 0-223: the pictures; entry 224: the back buffer. Null until loaded.
extern Image** image_store;
extern int32_t image_count;

inline constexpr int32_t back_buffer_width = 400;
inline constexpr int32_t back_buffer_height = 300;

// Decodes every picture in table order and creates the back buffer. Returns
// null on success, or the path of the first picture that could not be loaded,
// or image_store_all_pictures when no single picture is at fault (together
// they hold more than picture_store_max_pixels, or the store's own array
// cannot be had). The store is then freed again and left empty;
// picture_load_error says why. The pictures' total size is checked from
// their headers before any is decoded. A stop request
// (picture_stop_requested) is honoured between pictures and during long
// decodes: the store is then left empty and image_store_stopped returned.
const char* image_store_try_load();
extern const char image_store_stopped[];

// Returned by image_store_try_load for a refusal of all pictures together.
extern const char image_store_all_pictures[];

// Start-up form: on failure prints "Couldn't load %s\n" with the picture's
// path (after the decoder's reason for a file it could not decode), or the
// reason the pictures are refused together, and exits with status 1. After a
// stop request it returns with the store empty (image_store null).
void image_store_load();

// Empties the display list, then frees every image and the store's array.
void image_store_free();
