// The format decoders behind picture_load. Each reads an open file from its
// current position (the start), never closes it, and returns a new Image or
// null after recording the reason with picture_set_error.
#pragma once

#include <cstdint>
#include <cstdio>

#include "image/image.h"

Image* png_decode(std::FILE* file);
Image* jpeg_decode(std::FILE* file);

// Only the header: the size the decoder would give the picture. False (with
// the reason recorded) if it cannot be read.
bool png_read_size(std::FILE* file, uint32_t* width, uint32_t* height);
bool jpeg_read_size(std::FILE* file, uint32_t* width, uint32_t* height);

// True when picture_stop_requested is set and asks to stop; records the reason.
bool picture_should_stop();

// Records the reason for a failure (printf-style); picture_load_error reads it.
void picture_set_error(const char* format, ...) __attribute__((format(printf, 1, 2)));

// True when a picture of this size is within picture_max_side and
// picture_max_pixels; otherwise records the reason and returns false.
bool picture_size_acceptable(uint64_t width, uint64_t height);

// Allocates the Image for a decoder after the size check: null (with the
// reason recorded) if the memory cannot be had. Takes the pixels placed for
// this thread's next picture (picture_place_next) when it has exactly their
// number of pixels.
Image* picture_image_create(uint32_t width, uint32_t height);

// Zero-filled pixels, owned elsewhere, for the next picture decoded on this
// thread if it has `count` pixels; (nullptr, 0) for none. The caller tells
// the outcome by the decoded image's pixel pointer.
void picture_place_next(uint32_t* pixels, uint64_t count);
