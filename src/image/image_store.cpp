#include "image/image_store.h"

#include <cstdio>
#include <cstdlib>

#include "image/picture_decode.h"
#include "image/picture_limits.h"
#include "image/picture_load.h"

ImageStore& ImageStore::operator=(ImageStore&& other) noexcept {
  if (this != &other) {
    clear();
    images_.swap(other.images_);
  }
  return *this;
}

void ImageStore::clear() {
  for (Image* image : images_) image_free(image);
  images_.clear();
}

const char* ImageStore::try_load(const char* const* paths) {
  clear();
  // A failed load leaves the store empty rather than half filled.
  uint64_t total_pixels = 0;
  for (int32_t i = 0; paths[i] != nullptr; ++i) {
    Image* image = picture_load(paths[i]);
    if (image == nullptr) {
      clear();
      return paths[i];
    }
    add(image);
    total_pixels += static_cast<uint64_t>(image->width) * static_cast<uint64_t>(image->height);
    if (total_pixels > picture_store_max_pixels) {
      picture_set_error("the pictures up to this one hold %llu pixels, more than the %llu accepted in all",
                        static_cast<unsigned long long>(total_pixels),
                        static_cast<unsigned long long>(picture_store_max_pixels));
      clear();
      return paths[i];
    }
  }
  return nullptr;
}

void image_store_load(ImageStore& store, const char* const* paths) {
  const char* failed = store.try_load(paths);
  if (failed == nullptr) return;
  // The decoder's reason first, then the start-up message itself.
  const char* reason = picture_load_error();
  if (reason[0] != '\0') std::fprintf(stderr, "%s: %s\n", failed, reason);
  std::fprintf(stderr, "Couldn't load %s\n", failed);
  std::exit(1);
}
