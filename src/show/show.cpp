#include "show/show.h"

#include <new>
#include <utility>

namespace {

// Off-screen pixels are had like the show's other memory: a failure is the
// language's out-of-memory exception, as for its display list.
Image screen_sized_image() {
  Result<Image> image = Image::create(screen_width, screen_height);
  if (!image) throw std::bad_alloc();
  return std::move(*image);
}

}  // namespace

Show::Show(ImageStore pictures, uint32_t* screen_pixels) : Show(&owned_, screen_pixels) {
  owned_ = std::move(pictures);
}

Show::Show(const ImageStore* pictures, uint32_t* screen_pixels)
    : pictures_(pictures),
      back_buffer_(screen_sized_image()),
      screen_{screen_pixels, screen_width, screen_height} {}
