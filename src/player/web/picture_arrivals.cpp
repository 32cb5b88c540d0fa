#include "player/web/picture_arrivals.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "image/picture_limits.h"
#include "image/picture_load.h"

namespace {

std::string refusal(const char* culprit, std::string reason, bool unreadable = false) {
  return StoreLoadResult{StoreLoadResult::Status::refused, culprit, std::move(reason), unreadable}.message();
}

std::string size_text(int32_t width, int32_t height) { return std::to_string(width) + "x" + std::to_string(height); }

// The kind of decode a file is expected to take, by its name: PNG files
// take several times longer a pixel than JPEG ones.
size_t decode_kind(const char* path) {
  const size_t length = std::strlen(path);
  return length >= 4 && std::strcmp(path + length - 4, ".png") == 0 ? 1 : 0;
}

}  // namespace

PictureArrivals::PictureArrivals(const char* const* paths, std::span<const Size> sizes) : paths_(paths) {
  size_t count = 0;
  while (paths_[count] != nullptr) ++count;
  if (sizes.size() != count) {
    failure_ = refusal(image_store_all_pictures, "the site lists " + std::to_string(sizes.size()) + " of the " +
                                                     std::to_string(count) + " pictures");
    return;
  }
  uint64_t total_pixels = 0;
  for (size_t i = 0; i < count; ++i) {
    const Size size = sizes[i];
    // The one size test of every picture; a negative side is no size at all.
    if (size.width < 0 || size.height < 0 ||
        picture_size_verdict(static_cast<uint64_t>(size.width), static_cast<uint64_t>(size.height)) !=
            PictureSizeVerdict::accepted) {
      failure_ = refusal(paths_[i], "the site lists it at " + size_text(size.width, size.height) +
                                        " pixels, which no picture may be");
      break;
    }
    total_pixels += static_cast<uint64_t>(size.width) * static_cast<uint64_t>(size.height);
    failure_ = store_total_refusal(total_pixels);
    if (!failure_.empty()) {
      failure_ = refusal(image_store_all_pictures, failure_);
      break;
    }
  }
  if (!failure_.empty()) return;
  sizes_.assign(sizes.begin(), sizes.end());
  decoded_.assign(count, false);
}

bool PictureArrivals::make_places(double budget_ms, double (*clock)()) {
  const double end = clock() + budget_ms;
  while (failure_.empty() && places_.size() < sizes_.size()) {
    const Size size = sizes_[places_.size()];
    Result<Image> image = Image::create(size.width, size.height);
    if (!image) {
      failure_ = refusal(image_store_all_pictures, "out of memory");
      store_.clear();
      places_.clear();
      break;
    }
    places_.push_back(image->pixels);
    store_.add(std::move(*image));
    if (clock() >= end) break;
  }
  return !failure_.empty() || places_.size() == sizes_.size();
}

void PictureArrivals::arrived(int32_t index) {
  if (index < 0 || index >= total() || decoded_[static_cast<size_t>(index)]) return;
  waiting_.push_back(index);
}

void PictureArrivals::decode_slice(double budget_ms, double (*clock)(), std::vector<int32_t>& decoded,
                                   bool at_least_one) {
  decoded.clear();
  if (places_.size() < sizes_.size()) return;
  const double end = clock() + budget_ms;
  while (failure_.empty() && next_waiting_ < waiting_.size()) {
    const int32_t index = waiting_[next_waiting_];
    if (decoded_[static_cast<size_t>(index)]) {
      ++next_waiting_;
      continue;
    }
    const Size place = sizes_[static_cast<size_t>(index)];
    const double pixels = static_cast<double>(place.width) * static_cast<double>(place.height);
    const char* path = paths_[index];
    double& ms_per_pixel = ms_per_pixel_[decode_kind(path)];
    const double begun = clock();
    if ((!at_least_one || !decoded.empty()) && begun + pixels * ms_per_pixel > end) {
      // The expectation is lowered while nothing fits: one decode that was
      // held up (the page's process made to wait) does not keep the others
      // out for long.
      if (decoded.empty()) ms_per_pixel *= 0.97;
      break;
    }
    ++next_waiting_;
    // Decoded straight into its place when it has the listed size.
    DecodeContext context;
    context.place = places_[static_cast<size_t>(index)];
    context.place_words = static_cast<uint64_t>(place.width) * static_cast<uint64_t>(place.height);
    PictureResult picture = picture_load(path, context);
    if (!picture.ok()) {
      failure_ = refusal(path, std::move(picture.reason), picture.failure == PictureFailure::unreadable);
      break;
    }
    if (picture.image.width != place.width || picture.image.height != place.height) {
      failure_ = refusal(path, "it is " + size_text(picture.image.width, picture.image.height) +
                                   " pixels, the site lists it at " + size_text(place.width, place.height));
      break;
    }
    decoded_[static_cast<size_t>(index)] = true;
    ++done_;
    decoded.push_back(index);
    const double ended = clock();
    const double rate = (ended - begun) / pixels;
    ms_per_pixel = ms_per_pixel > 0 ? 0.7 * ms_per_pixel + 0.3 * rate : rate;
    if (ended >= end) break;
  }
}
