#include "image/image_store.h"

#include <cstdio>

#include "image/picture_limits.h"
#include "image/picture_loading.h"

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

std::string StoreLoadResult::message() const {
  if (status != Status::refused) return {};
  const std::string name = culprit != nullptr ? culprit : image_store_all_pictures;
  if (culprit == image_store_all_pictures) return "Couldn't load " + name + ": " + reason;
  // For a file that was read but not decoded, the decoder's reason first; a
  // missing or unreadable file gets the start-up message alone.
  if (!reason.empty() && !unreadable) return name + ": " + reason + "\nCouldn't load " + name;
  return "Couldn't load " + name;
}

StoreLoadResult ImageStore::load(const char* const* paths, StopHook stop) {
  return PictureLoading(paths, 0).finish(this, stop);
}
