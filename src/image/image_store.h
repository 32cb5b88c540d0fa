// The image store: pictures decoded from a list of files, owned by the store
// until it goes. Entry i is the picture of the list's path i.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image.h"

class ImageStore {
 public:
  ImageStore() = default;
  ImageStore(const ImageStore&) = delete;
  ImageStore& operator=(const ImageStore&) = delete;
  ImageStore(ImageStore&& other) noexcept : images_(std::move(other.images_)) { other.images_.clear(); }
  ImageStore& operator=(ImageStore&& other) noexcept;
  ~ImageStore() { clear(); }

  // Decodes the pictures of `paths` (ended by a null entry) in order,
  // replacing what the store held. Returns null on success, or the path of
  // the first picture that could not be loaded (the store is then left
  // empty; picture_load_error() tells why).
  const char* try_load(const char* const* paths);

  // Takes `image` as the next entry (a store made in memory).
  void add(Image* image) { images_.push_back(image); }

  // Frees every image; the store is empty afterwards.
  void clear();

  int32_t size() const { return static_cast<int32_t>(images_.size()); }
  Image* operator[](int32_t index) const { return images_[static_cast<std::size_t>(index)]; }
  // The entries in order.
  const Image* const* images() const { return images_.data(); }

 private:
  std::vector<Image*> images_;
};

// Start-up form of try_load: on failure prints the decoder's reason and
// "Couldn't load %s\n" and exits with status 1.
void image_store_load(ImageStore& store, const char* const* paths);
