// Decoding of one picture file (PNG or JPEG, told apart by content) into a
// new Image of the show's pixel format 0xAARRGGBB.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/file_handle.h"
#include "image/image.h"
#include "image/stop_hook.h"

// Largest picture accepted: 16384 pixels a side and 64 Mi (2^26) pixels in
// all, that is at most 256 MiB of pixel words. Checked on the file's header,
// before anything of the picture's size is allocated.
inline constexpr uint32_t picture_max_side = 16384;
inline constexpr uint64_t picture_max_pixels = uint64_t{1} << 26;

// The one test of a picture's size, wherever a size is read (a file's
// header, a list of sizes): accepted, empty (a side of 0), or too large.
enum class PictureSizeVerdict { accepted, empty, too_large };
PictureSizeVerdict picture_size_verdict(uint64_t width, uint64_t height);

// What a decode is handed by its caller.
struct DecodeContext {
  // Asked now and then while decoding (at least once per row or scan); once
  // it returns true the decode is abandoned (PictureFailure::stopped) and it
  // is not asked again.
  StopHook stop;
  // Zero-filled pixel words the picture is decoded into when it has exactly
  // `place_words` pixels: a place in `block`, which the picture then shares,
  // or (without a block) pixels owned elsewhere that outlive the picture,
  // which it then views. Otherwise the picture gets pixels of its own. The
  // caller tells which by the decoded picture's pixel pointer.
  std::shared_ptr<const PixelBlock> block;
  uint32_t* place = nullptr;
  uint64_t place_words = 0;
};

// Why a picture was not had.
enum class PictureFailure {
  none,
  // The file could not be read at all: missing, not a regular file, no
  // permission, a read error at its start.
  unreadable,
  // A decoder read it and refused its content (corrupt, truncated, of a kind
  // it cannot decode, or memory for it could not be had).
  refused,
  // Its header announces more than picture_max_side or picture_max_pixels.
  too_large,
  // The context's stop hook asked to stop.
  stopped,
};

// A decoded picture, or why there is none.
struct [[nodiscard]] PictureResult {
  Image image;
  PictureFailure failure = PictureFailure::none;
  // Why (a library's message, the system's reason, the limit passed);
  // empty on success.
  std::string reason;

  bool ok() const { return failure == PictureFailure::none; }
};

// A picture's size read from its header alone, or why it could not be had
// (too_large when it passes the limits above).
struct [[nodiscard]] PictureHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  PictureFailure failure = PictureFailure::none;
  std::string reason;

  bool ok() const { return failure == PictureFailure::none; }
  uint64_t pixels() const { return uint64_t{width} * height; }
};

class DecodeState;
class FormatDecoding;

// The decoding of the file at `path`, in as many steps as its caller likes:
// a caller with little time at once (a page between its frames) spreads a
// large picture over many. The decoders keep their place between steps, so
// the picture is the same whatever the steps. Never ends the process.
//
// Files starting with the 8-byte PNG signature are read as PNG, all others
// as JPEG. Every decoded pixel is 0xAARRGGBB: alpha 255 where the file has no
// transparency, colour bytes kept (not premultiplied) where it has.
class PictureDecoding {
 public:
  explicit PictureDecoding(const char* path, const DecodeContext& context = {});
  ~PictureDecoding();
  PictureDecoding(const PictureDecoding&) = delete;
  PictureDecoding& operator=(const PictureDecoding&) = delete;

  // Decodes on until the picture is done, a failure, or `enough()`, which is
  // asked between small units of work (a row, a block row of a scan, a few
  // KiB of the file) after one at least. True once finished.
  bool advance(const StopHook& enough = {});
  // Once finished: the picture, or why there is none.
  PictureResult take();

 private:
  DecodeContext context_;
  std::unique_ptr<DecodeState> state_;
  FileHandle file_;
  std::unique_ptr<FormatDecoding> format_;
};

// Decodes the file at `path` in one go.
PictureResult picture_load(const char* path, const DecodeContext& context = {});

// Reads only the file's header: the size decoding would give the picture,
// checked against the limits. Never ends the process.
PictureHeader picture_read_size(const char* path);
