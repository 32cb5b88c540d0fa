#include "show/show.h"

#include <utility>

Show::Show(ImageStore pictures, uint32_t* screen_pixels) : Show(&owned_, screen_pixels) {
  owned_ = std::move(pictures);
}

Show::Show(const ImageStore* pictures, uint32_t* screen_pixels)
    : pictures_(pictures),
      back_buffer_(image_create(screen_width, screen_height)),
      screen_{screen_pixels, screen_width, screen_height} {}
