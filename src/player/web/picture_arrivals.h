// The show's pictures as their files arrive over the network, in any order.
// The store is made at once from the site's list of sizes, every picture
// blank at its listed size, so that a show can be built over it before any
// file is here (a scene reads a picture's pixels only in its frames, and the
// page plays a scene only once its own pictures are decoded). An arrived
// file is decoded into its place in slices of a few rows, so that the page's
// main thread is never busy for long, however large the picture; one that
// does not decode to its listed size is refused, as is a list the store's
// limits refuse.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/image.h"
#include "image/image_store.h"
#include "image/picture_load.h"

class PictureArrivals {
 public:
  struct Size {
    int32_t width;
    int32_t height;
  };

  // `paths` ends with a null entry and outlives the object; `sizes` holds
  // one entry per path. The sizes are checked here.
  PictureArrivals(const char* const* paths, std::span<const Size> sizes);

  // Makes the blank pictures one after another, clearing a block of pixels
  // at a time, until `clock()` has passed `budget_ms` from the slice's start
  // (one block at least): together they hold tens of MiB, whose clearing
  // would hold up the page. True once all are made, or on a failure.
  bool make_places(double budget_ms, double (*clock)());
  // The blank pictures, once all are made (failure() empty). The store is
  // the caller's from then on; the decoding writes into its pictures, so it
  // must outlive every later decode_slice.
  ImageStore take_store() { return std::move(store_); }

  // The file of picture `index` is in place.
  void arrived(int32_t index);
  // Decodes arrived pictures, oldest first, while `clock()` is expected to
  // stay within `budget_ms` from the slice's start (a unit of work at least:
  // a row, a block row, a few KiB of a file); a picture not done goes on in
  // the next slice. The store indices whose decoding ended go to `decoded` (cleared
  // first).
  void decode_slice(double budget_ms, double (*clock)(), std::vector<int32_t>& decoded);
  // Arrived pictures are still to be decoded.
  bool waiting() const { return current_ != nullptr || next_waiting_ < waiting_.size(); }

  bool decoded(int32_t index) const { return decoded_[static_cast<size_t>(index)]; }
  int32_t done() const { return done_; }
  int32_t total() const { return static_cast<int32_t>(decoded_.size()); }
  // The start-up message of the refusal of the listed sizes or of a file, as
  // the image store words it; empty while there is none. Nothing is decoded
  // after one.
  const std::string& failure() const { return failure_; }

 private:
  const char* const* paths_;
  std::vector<Size> sizes_;
  ImageStore store_;
  // The pixels of the store's pictures, which the store keeps (also once
  // taken by the caller), in store order.
  std::vector<uint32_t*> places_;
  // The picture being made (its pixels cleared up to cleared_words_).
  std::optional<Image> making_;
  size_t cleared_words_ = 0;
  std::vector<bool> decoded_;
  std::vector<int32_t> waiting_;
  size_t next_waiting_ = 0;
  int32_t done_ = 0;
  // The decoding under way, of store index current_index_.
  std::unique_ptr<PictureDecoding> current_;
  int32_t current_index_ = -1;
  // How long a unit of work takes: the longest of late, forgotten slowly.
  double unit_ms_ = 0;
  std::string failure_;
};
