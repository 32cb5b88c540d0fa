#include "image/image_store.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "image/picture_decode.h"
#include "image/picture_limits.h"
#include "image/picture_load.h"

const char image_store_all_pictures[] = "the pictures";

std::string store_total_refusal(uint64_t total_pixels) {
  if (total_pixels <= picture_store_max_pixels) return {};
  // No picture is at fault on its own; the message names none.
  const uint64_t mib = uint64_t{1} << 20;
  const uint64_t bytes = total_pixels * sizeof(uint32_t);
  char text[160];
  std::snprintf(text, sizeof text, "they need at least %llu MiB together, more than the limit of %llu MiB",
                static_cast<unsigned long long>((bytes + mib - 1) / mib),
                static_cast<unsigned long long>(picture_store_max_pixels * sizeof(uint32_t) / mib));
  return text;
}

namespace {

// Whether `total_pixels` is within the store's limit; records the reason if not.
bool total_within_limit(uint64_t total_pixels) {
  const std::string refusal = store_total_refusal(total_pixels);
  if (refusal.empty()) return true;
  picture_set_error("%s", refusal.c_str());
  return false;
}

// The pictures' total size from their headers, before anything is decoded:
// pictures of small files can ask for far more memory than they take. False
// (the reason recorded) when the total passes the limit. The look stops at a
// header that cannot be read or that is too large on its own: that picture
// is refused when it is decoded, in list order, and no later file is opened.
bool headers_within_limit(const char* const* paths, int32_t count) {
  uint64_t total_pixels = 0;
  for (int32_t i = 0; i < count; ++i) {
    uint32_t width = 0;
    uint32_t height = 0;
    if (!picture_read_size(paths[i], &width, &height)) break;
    // A picture too large on its own is refused by name when it is decoded.
    if (!picture_size_acceptable(width, height)) break;
    total_pixels += static_cast<uint64_t>(width) * height;
    if (!total_within_limit(total_pixels)) return false;
  }
  return true;
}

StoreLoadResult refusal(const char* culprit, bool unreadable = false) {
  return {StoreLoadResult::Status::refused, culprit, picture_load_error(), unreadable};
}

StoreLoadResult stopped() { return {StoreLoadResult::Status::stopped, nullptr, {}, false}; }

}  // namespace

std::string StoreLoadResult::message() const {
  if (status != Status::refused) return {};
  const std::string name = culprit != nullptr ? culprit : image_store_all_pictures;
  if (culprit == image_store_all_pictures) return "Couldn't load " + name + ": " + reason;
  // For a file that was read but not decoded, the decoder's reason first; a
  // missing or unreadable file gets the start-up message alone.
  if (!reason.empty() && !unreadable) return name + ": " + reason + "\nCouldn't load " + name;
  return "Couldn't load " + name;
}

ImageStore& ImageStore::operator=(ImageStore&& other) noexcept {
  if (this != &other) {
    clear();
    images_.swap(other.images_);
    block_ = std::move(other.block_);
  }
  return *this;
}

void ImageStore::clear() {
  for (Image* image : images_) image_free(image);
  images_.clear();
  block_.reset();
}

StoreLoadResult ImageStore::load(const char* const* paths) {
  clear();
  int32_t count = 0;
  while (paths[count] != nullptr) ++count;
  // Room for every entry at once, so that adding them allocates nothing more.
  try {
    images_.reserve(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    picture_set_error("out of memory for the image store");
    return refusal(image_store_all_pictures);
  }
  if (!headers_within_limit(paths, count)) return refusal(image_store_all_pictures);
  // A failed load leaves the store empty rather than half filled.
  uint64_t total_pixels = 0;
  for (int32_t i = 0; i < count; ++i) {
    Image* image = picture_should_stop() ? nullptr : picture_load(paths[i]);
    if (image == nullptr) {
      clear();
      if (std::strcmp(picture_load_error(), "stopped") == 0) return stopped();
      return refusal(paths[i], picture_load_unreadable());
    }
    add(image);
    // Checked again as decoded, in case a file changed since its header was read.
    total_pixels += static_cast<uint64_t>(image->width) * static_cast<uint64_t>(image->height);
    if (!total_within_limit(total_pixels)) {
      clear();
      return refusal(image_store_all_pictures);
    }
  }
  return {};
}
