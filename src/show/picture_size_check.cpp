#include "show/picture_size_check.h"

#include "show/picture_needs.h"

namespace {

std::string size_text(int32_t width, int32_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

// "at least 539x300", "at least 66 pixels high", "at least 400x300, the size
// of data/traffic1.jpg", "exactly 400 pixels wide and at least 300 high".
std::string need_text(const PictureNeed& need, std::span<const Image> pictures, const char* const* paths) {
  if (need.exact_width) {
    return "exactly " + std::to_string(need.width) + " pixels wide and at least " + std::to_string(need.height) +
           " high";
  }
  if (need.reference >= 0) {
    const Image* reference = &pictures[need.reference];
    return "at least " + size_text(reference->width, reference->height) + ", the size of " + paths[need.reference];
  }
  if (need.width <= 1) return "at least " + std::to_string(need.height) + " pixels high";
  if (need.height <= 1) return "at least " + std::to_string(need.width) + " pixels wide";
  return "at least " + size_text(need.width, need.height);
}

}  // namespace

std::string picture_size_check(std::span<const Image> pictures, const char* const* paths) {
  for (int32_t i = 0; i < picture_count; ++i) {
    const Image* picture = &pictures[i];
    for (const PictureNeed& need : picture_needs()) {
      if (!need_covers(need, i)) continue;
      const Image* reference = need.reference >= 0 ? &pictures[need.reference] : nullptr;
      if (need_met(need, picture->width, picture->height, reference)) continue;
      return "Picture " + std::string(paths[i]) + " is " + size_text(picture->width, picture->height) +
             " pixels; the show needs " + need_text(need, pictures, paths) + " (" + need.reason + ")";
    }
  }
  return {};
}
