// The image store: pictures decoded from a list of files, owned by the store
// until it goes. Entry i is the picture of the list's path i.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "image/image.h"
#include "image/stop_hook.h"

// The culprit of a refusal of all pictures together (no single file is at
// fault): "the pictures".
extern const char image_store_all_pictures[];

// What ImageStore::load tells: every picture loaded, a stop request ended
// the loading, or a picture (or all of them together) was refused.
struct [[nodiscard]] StoreLoadResult {
  enum class Status { loaded, stopped, refused };
  Status status = Status::loaded;
  // For a refusal: the path of the picture that could not be loaded, or
  // image_store_all_pictures.
  const char* culprit = nullptr;
  // For a refusal: why (a library's message, the system's reason, the limit
  // passed); may be empty.
  std::string reason;
  // For a refusal: the file could not be read at all (missing, not a regular
  // file, no permission), rather than read and refused by its decoder.
  bool unreadable = false;

  bool loaded() const { return status == Status::loaded; }
  bool stopped() const { return status == Status::stopped; }
  // The start-up message for a refusal, without its final newline:
  // "Couldn't load <path>", after a line "<path>: <reason>" for a file a
  // decoder refused; "Couldn't load the pictures: <reason>" when they are
  // refused together.
  std::string message() const;
};

class ImageStore {
 public:
  ImageStore() = default;
  ImageStore(const ImageStore&) = delete;
  ImageStore& operator=(const ImageStore&) = delete;
  ImageStore(ImageStore&& other) noexcept : images_(std::exchange(other.images_, {})) {}
  ImageStore& operator=(ImageStore&& other) noexcept {
    images_ = std::exchange(other.images_, {});
    return *this;
  }
  ~ImageStore() = default;

  // Decodes the pictures of `paths` (ended by a null entry) in order on the
  // calling thread, replacing what the store held: PictureLoading with no
  // worker, whose rules (the total size checked from the headers first, the
  // first failing picture in list order) it follows. `stop` is asked before
  // every picture and during long decodes. Whatever the result but
  // `loaded`, the store is left empty.
  StoreLoadResult load(const char* const* paths, StopHook stop = {});

  // Takes `image` as the next entry (a store made in memory).
  void add(Image image) { images_.push_back(std::move(image)); }

  // Lets every picture go; the store is empty afterwards.
  void clear() { images_.clear(); }

  int32_t size() const { return static_cast<int32_t>(images_.size()); }
  // Entry `index`, observed: the store keeps it. A show only ever reads its
  // pictures, also where it draws from a picture held by a const store.
  Image* operator[](int32_t index) const { return const_cast<Image*>(&images_[static_cast<std::size_t>(index)]); }
  // The entries in order.
  std::span<const Image> images() const { return images_; }

 private:
  std::vector<Image> images_;
};
