#include "player/web/picture_slices.h"

#include <utility>

#include "image/picture_limits.h"
#include "image/picture_load.h"

PictureSlices::PictureSlices(const char* const* paths) : paths_(paths) {
  while (paths_[total_] != nullptr) ++total_;
}

bool PictureSlices::decode_slice(double budget_ms, double (*clock)()) {
  const double end = clock() + budget_ms;
  while (failure_.empty() && done() < total_) {
    const char* path = paths_[done()];
    PictureResult picture = picture_load(path);
    if (!picture.ok()) {
      failure_ = StoreLoadResult{StoreLoadResult::Status::refused, path, std::move(picture.reason),
                                 picture.failure == PictureFailure::unreadable}
                     .message();
      break;
    }
    Image* image = picture.image.release();
    pictures_.add(image);
    // The store's limit on all pictures together, as they are decoded.
    total_pixels_ += static_cast<uint64_t>(image->width) * static_cast<uint64_t>(image->height);
    const std::string too_many = store_total_refusal(total_pixels_);
    if (!too_many.empty()) {
      failure_ = StoreLoadResult{StoreLoadResult::Status::refused, image_store_all_pictures, too_many, false}
                     .message();
      break;
    }
    if (clock() >= end) break;
  }
  if (!failure_.empty()) pictures_.clear();
  return !failure_.empty() || done() == total_;
}
