// The format decoders behind picture_load. Each reads an open file from its
// current position (the start) and never closes it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "image/image.h"
#include "image/picture_load.h"

// One decode under way: its caller's context and, once it has failed, why.
// Plain data, so that the decoders may record a failure from within the
// libraries' error handlers on their way out through longjmp.
class DecodeState {
 public:
  explicit DecodeState(const DecodeContext& context) : context_(context) {}

  // True once the context's stop hook asks to stop (the failure is then
  // recorded as stopped); not asked again after that.
  bool should_stop();

  // Records the failure and its reason (printf-style), in place of any
  // recorded before.
  void fail(PictureFailure failure, const char* format, ...) __attribute__((format(printf, 3, 4)));

  // True when a picture of this size is within picture_max_side and
  // picture_max_pixels; otherwise records why and returns false.
  bool size_acceptable(uint64_t width, uint64_t height);

  // The picture for a decoder, after the size check: in the context's place
  // when it has exactly its number of pixels, else with pixels of its own.
  // Without pixels (the reason recorded) if the memory cannot be had.
  Image image_create(uint32_t width, uint32_t height);

  PictureFailure failure() const { return failure_; }
  const char* reason() const { return reason_; }

 private:
  const DecodeContext& context_;
  PictureFailure failure_ = PictureFailure::none;
  char reason_[512] = "";
};

// One file's decoding, in steps (see PictureDecoding). A failure is recorded
// in the decoding's state.
class FormatDecoding {
 public:
  FormatDecoding() = default;
  virtual ~FormatDecoding() = default;
  FormatDecoding(const FormatDecoding&) = delete;
  FormatDecoding& operator=(const FormatDecoding&) = delete;

  // Decodes on until the picture is done, a failure, or `enough()` (asked
  // between small units of work, after one at least). True once finished.
  bool advance(const StopHook& enough) {
    if (!finished_ && !step(enough)) {
      finished_ = true;
      image_ = {};
    }
    return finished_;
  }
  bool finished() const { return finished_; }
  // Once finished: the picture, without pixels after a failure.
  Image take_image() { return std::move(image_); }

 protected:
  // False on a failure (recorded); true when the step has had enough or the
  // library has suspended, or after finish().
  virtual bool step(const StopHook& enough) = 0;
  void finish() { finished_ = true; }

  Image image_;

 private:
  bool finished_ = false;
};

// Each reads `file` from its current position (the start); both the file
// and `state` must outlive the decoding.
std::unique_ptr<FormatDecoding> png_decoding(std::FILE* file, DecodeState* state);
std::unique_ptr<FormatDecoding> jpeg_decoding(std::FILE* file, DecodeState* state);

// Only the header: the size the decoder would give the picture. False (with
// the failure recorded) if it cannot be read.
bool png_read_size(std::FILE* file, DecodeState* state, uint32_t* width, uint32_t* height);
bool jpeg_read_size(std::FILE* file, DecodeState* state, uint32_t* width, uint32_t* height);
