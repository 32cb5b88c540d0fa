#include "image/image.h"

#include <cstddef>
#include <cstdlib>

Image* image_create(int32_t width, int32_t height) {
  auto* image = static_cast<Image*>(std::calloc(1, sizeof(Image)));
  if (image == nullptr) return nullptr;
  image->width = width;
  image->height = height;
  // Two non-negative int32 values multiply without overflow in 64 bits, and
  // calloc itself checks count * 4. A zero-sized image still gets one word so
  // that pixels is never null.
  const std::size_t count = static_cast<std::size_t>(width > 0 ? width : 0) *
                            static_cast<std::size_t>(height > 0 ? height : 0);
  image->pixels = static_cast<uint32_t*>(std::calloc(count ? count : 1, sizeof(uint32_t)));
  if (image->pixels == nullptr) {
    std::free(image);
    return nullptr;
  }
  return image;
}

void image_free(Image* image) {
  if (image == nullptr) return;
  if (!image->borrowed_pixels) std::free(image->pixels);
  std::free(image);
}

Image* image_create_over(uint32_t* pixels, int32_t width, int32_t height) {
  auto* image = static_cast<Image*>(std::calloc(1, sizeof(Image)));
  if (image == nullptr) return nullptr;
  image->pixels = pixels;
  image->width = width;
  image->height = height;
  image->borrowed_pixels = true;
  return image;
}
