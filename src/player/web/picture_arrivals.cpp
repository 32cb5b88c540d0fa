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
  // A large picture's clearing is spread over slices too, a block of words
  // at a time: a slow phone clears a few MiB in tens of milliseconds.
  constexpr size_t clear_words = 16384;
  const double end = clock() + budget_ms;
  while (failure_.empty() && places_.size() < sizes_.size()) {
    if (!making_) {
      const Size size = sizes_[places_.size()];
      Result<Image> image = Image::create(size.width, size.height, false);
      if (!image) {
        failure_ = refusal(image_store_all_pictures, "out of memory");
        store_.clear();
        places_.clear();
        break;
      }
      making_.emplace(std::move(*image));
      cleared_words_ = 0;
    }
    Image& image = *making_;
    const size_t words = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    const size_t clear = std::min(clear_words, words - cleared_words_);
    std::memset(image.pixels + cleared_words_, 0, clear * sizeof(uint32_t));
    cleared_words_ += clear;
    if (cleared_words_ == words) {
      places_.push_back(image.pixels);
      store_.add(std::move(image));
      making_.reset();
    }
    if (clock() >= end) break;
  }
  return !failure_.empty() || places_.size() == sizes_.size();
}

void PictureArrivals::arrived(int32_t index) {
  if (index < 0 || index >= total() || decoded_[static_cast<size_t>(index)]) return;
  waiting_.push_back(index);
}

void PictureArrivals::decode_slice(double budget_ms, double (*clock)(), std::vector<int32_t>& decoded) {
  decoded.clear();
  if (places_.size() < sizes_.size()) return;
  // A unit of work is not begun when the longest of late (forgotten slowly)
  // would end past the budget: a large picture's block row may take a few
  // milliseconds on a slow phone.
  double last = clock();
  const double end = last + budget_ms;
  const auto enough = [&] {
    const double now = clock();
    unit_ms_ = std::max(now - last, unit_ms_ * 0.95);
    last = now;
    return now + unit_ms_ >= end;
  };
  while (failure_.empty()) {
    if (current_ == nullptr) {
      while (next_waiting_ < waiting_.size() && decoded_[static_cast<size_t>(waiting_[next_waiting_])]) ++next_waiting_;
      if (next_waiting_ == waiting_.size()) break;
      current_index_ = waiting_[next_waiting_++];
      const Size place = sizes_[static_cast<size_t>(current_index_)];
      // Decoded straight into its place when it has the listed size.
      DecodeContext context;
      context.place = places_[static_cast<size_t>(current_index_)];
      context.place_words = static_cast<uint64_t>(place.width) * static_cast<uint64_t>(place.height);
      current_ = std::make_unique<PictureDecoding>(paths_[current_index_], context);
    }
    if (!current_->advance(enough)) break;
    PictureResult picture = current_->take();
    current_.reset();
    const char* path = paths_[current_index_];
    const Size place = sizes_[static_cast<size_t>(current_index_)];
    if (!picture.ok()) {
      failure_ = refusal(path, std::move(picture.reason), picture.failure == PictureFailure::unreadable);
      break;
    }
    if (picture.image.width != place.width || picture.image.height != place.height) {
      failure_ = refusal(path, "it is " + size_text(picture.image.width, picture.image.height) +
                                   " pixels, the site lists it at " + size_text(place.width, place.height));
      break;
    }
    decoded_[static_cast<size_t>(current_index_)] = true;
    ++done_;
    decoded.push_back(current_index_);
    if (enough()) break;
  }
}
