#include "image/image_store.h"

#include <cstdio>
#include <cstdlib>

#include "image/picture_decode.h"
#include "image/picture_limits.h"
#include "image/picture_load.h"

Image** image_store = nullptr;
int32_t image_count = 0;

namespace {

void free_images(Image** images, int32_t count) {
  for (int32_t i = 0; i < count; ++i) image_free(images[i]);
  std::free(images);
}

}  // namespace

const char* image_store_try_load(const char* const* paths) {
  // Loading again replaces the store.
  if (image_store != nullptr) image_store_free();

  int32_t n = 0;
  while (paths[n] != nullptr) ++n;

  // The globals are only set once every picture is in, so a failed load
  // leaves the store empty rather than half filled.
  auto* images = static_cast<Image**>(std::calloc(static_cast<std::size_t>(n) + 1, sizeof(Image*)));
  if (images == nullptr) {
    picture_set_error("out of memory for the image store");
    return paths[0];
  }
  uint64_t total_pixels = 0;
  for (int32_t i = 0; i < n; ++i) {
    images[i] = picture_load(paths[i]);
    if (images[i] == nullptr) {
      free_images(images, i);
      return paths[i];
    }
    total_pixels += static_cast<uint64_t>(images[i]->width) * static_cast<uint64_t>(images[i]->height);
    if (total_pixels > picture_store_max_pixels) {
      picture_set_error("the pictures up to this one hold %llu pixels, more than the %llu accepted in all",
                        static_cast<unsigned long long>(total_pixels),
                        static_cast<unsigned long long>(picture_store_max_pixels));
      free_images(images, i + 1);
      return paths[i];
    }
  }
  images[n] = image_create(back_buffer_width, back_buffer_height);

  image_store = images;
  image_count = n + 1;
  return nullptr;
}

void image_store_load(const char* const* paths) {
  const char* failed = image_store_try_load(paths);
  if (failed == nullptr) return;
  // The decoder's reason first, then the start-up message itself.
  const char* reason = picture_load_error();
  if (reason[0] != '\0') std::fprintf(stderr, "%s: %s\n", failed, reason);
  std::fprintf(stderr, "Couldn't load %s\n", failed);
  std::exit(1);
}

void image_store_free() {
  if (image_store != nullptr) free_images(image_store, image_count);
  image_store = nullptr;
  image_count = 0;
}
