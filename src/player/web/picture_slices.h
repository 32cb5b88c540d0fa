// The show's pictures decoded a few at a time, so that the page's main
// thread is never busy for long: each slice decodes pictures in list order
// until its time is spent (at least one picture), and the frames of the
// page go on in between.
#pragma once

#include <cstdint>
#include <string>

#include "image/image_store.h"

class PictureSlices {
 public:
  // `paths` ends with a null entry and outlives the object.
  explicit PictureSlices(const char* const* paths);

  // Decodes pictures until `clock()` has passed `budget_ms` from the slice's
  // start. True when none is left to decode (all loaded, or a failure).
  bool decode_slice(double budget_ms, double (*clock)());

  int32_t done() const { return pictures_.size(); }
  int32_t total() const { return total_; }
  // The start-up message of the refusal that ended the decoding, as the
  // image store words it; empty while there is none.
  const std::string& failure() const { return failure_; }
  // The decoded pictures, once all are there.
  ImageStore take() { return std::move(pictures_); }

 private:
  const char* const* paths_;
  int32_t total_ = 0;
  uint64_t total_pixels_ = 0;
  ImageStore pictures_;
  std::string failure_;
};
