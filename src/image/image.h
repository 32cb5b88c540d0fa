// The 32-bit pixel buffer every effect draws into.
#pragma once

#include <cstdint>
#include <memory>

// Pixel (x, y) is word y * width + x; a word is 0xAARRGGBB (blue in bits 0-7).
struct Image {
  uint32_t* pixels;
  int32_t width;
  int32_t height;
  // The pixels are part of a block owned elsewhere (image_create_over):
  // image_free then frees the record only.
  bool borrowed_pixels = false;
};

// Allocates the record and a zero-filled width x height pixel array.
Image* image_create(int32_t width, int32_t height);

// Null does nothing; otherwise frees the pixels (unless borrowed), then the
// record.
void image_free(Image* image);

// A record for pixels owned elsewhere (a block shared by many pictures):
// null if the record cannot be allocated. image_free leaves its pixels alone.
Image* image_create_over(uint32_t* pixels, int32_t width, int32_t height);

// An image that frees itself.
struct ImageFree {
  void operator()(Image* image) const { image_free(image); }
};
using ImagePtr = std::unique_ptr<Image, ImageFree>;
