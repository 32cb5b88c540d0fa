#include "image/image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

Image::Image(std::shared_ptr<const PixelBlock> block, uint32_t* pixels, int32_t width, int32_t height)
    : pixels(pixels), width(width), height(height), keeper_(std::move(block)) {}

Result<Image> Image::create(int32_t width, int32_t height, bool cleared) {
  // Two non-negative int32 values multiply without overflow in 64 bits, and
  // calloc itself checks count * 4 (malloc's size is checked here).
  const uint64_t count = static_cast<uint64_t>(width > 0 ? width : 0) * static_cast<uint64_t>(height > 0 ? height : 0);
  const std::size_t words = count > 0 ? static_cast<std::size_t>(count) : 1;
  const bool fits = count <= SIZE_MAX / sizeof(uint32_t);
  OwnPixels own(!fits      ? nullptr
                : cleared ? static_cast<uint32_t*>(std::calloc(words, sizeof(uint32_t)))
                          : static_cast<uint32_t*>(std::malloc(words * sizeof(uint32_t))));
  if (own == nullptr) {
    return Failure{"out of memory for " + std::to_string(width) + " x " + std::to_string(height) + " pixels"};
  }
  Image image(own.get(), width, height);
  image.keeper_ = std::move(own);
  return image;
}

Image::Image(Image&& other) noexcept
    : pixels(std::exchange(other.pixels, nullptr)),
      width(std::exchange(other.width, 0)),
      height(std::exchange(other.height, 0)),
      keeper_(std::exchange(other.keeper_, std::monostate{})) {}

Image& Image::operator=(Image&& other) noexcept {
  Image taken(std::move(other));
  std::swap(pixels, taken.pixels);
  std::swap(width, taken.width);
  std::swap(height, taken.height);
  keeper_.swap(taken.keeper_);
  return *this;
}
