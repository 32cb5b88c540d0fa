#include "image/picture_load.h"

#include <png.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/file_handle.h"
#include "base/platform.h"
#include "image/picture_decode.h"

bool DecodeState::should_stop() {
  if (failure_ == PictureFailure::stopped) return true;
  if (!context_.stop()) return false;
  fail(PictureFailure::stopped, "stopped");
  return true;
}

void DecodeState::fail(PictureFailure failure, const char* format, ...) {
  failure_ = failure;
  va_list args;
  va_start(args, format);
  std::vsnprintf(reason_, sizeof reason_, format, args);
  va_end(args);
}

PictureSizeVerdict picture_size_verdict(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0) return PictureSizeVerdict::empty;
  // Each side is checked first, so the product below cannot overflow.
  if (width > picture_max_side || height > picture_max_side || width * height > picture_max_pixels) {
    return PictureSizeVerdict::too_large;
  }
  return PictureSizeVerdict::accepted;
}

bool DecodeState::size_acceptable(uint64_t width, uint64_t height) {
  const PictureSizeVerdict verdict = picture_size_verdict(width, height);
  if (verdict == PictureSizeVerdict::empty) {
    fail(PictureFailure::refused, "picture of %llu x %llu pixels is empty", static_cast<unsigned long long>(width),
         static_cast<unsigned long long>(height));
    return false;
  }
  if (verdict == PictureSizeVerdict::too_large) {
    fail(PictureFailure::too_large,
         "picture of %llu x %llu pixels is larger than the %u pixels a side and %llu pixels in all accepted",
         static_cast<unsigned long long>(width), static_cast<unsigned long long>(height),
         static_cast<unsigned>(picture_max_side), static_cast<unsigned long long>(picture_max_pixels));
    return false;
  }
  return true;
}

Image DecodeState::image_create(uint32_t width, uint32_t height) {
  const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  if (context_.place != nullptr && uint64_t{width} * height == context_.place_words) {
    return context_.block != nullptr ? Image(context_.block, context_.place, w, h) : Image(context_.place, w, h);
  }
  Result<Image> made = Image::create(w, h);
  if (made) return std::move(*made);
  fail(PictureFailure::refused, "%s", made.error().c_str());
  return {};
}

namespace {

// Opens a picture file and tells PNG from JPEG; null with the failure
// recorded (unreadable) if it cannot be read.
FileHandle open_picture(const char* path, DecodeState* state, bool* is_png) {
  if (path == nullptr) {
    state->fail(PictureFailure::unreadable, "no path given");
    return nullptr;
  }
  Result<FileHandle> opened = platform::open_regular_file(path);
  if (!opened) {
    state->fail(PictureFailure::unreadable, "%s", opened.error().c_str());
    return nullptr;
  }
  FileHandle file = std::move(*opened);

  // Both libraries read the file from its first byte: peek at the signature,
  // then go back. A file shorter than the signature cannot be a PNG.
  unsigned char signature[8];
  const std::size_t got = std::fread(signature, 1, sizeof signature, file.get());
  if (std::ferror(file.get())) {
    state->fail(PictureFailure::unreadable, "%s", std::strerror(errno));
    return nullptr;
  }
  if (std::fseek(file.get(), 0, SEEK_SET) != 0) {
    state->fail(PictureFailure::unreadable, "cannot seek: %s", std::strerror(errno));
    return nullptr;
  }
  // From here on the file is read by a decoder: a failure is the content's.
  *is_png = got == sizeof signature && png_sig_cmp(signature, 0, sizeof signature) == 0;
  return file;
}

}  // namespace

PictureDecoding::PictureDecoding(const char* path, const DecodeContext& context)
    : context_(context), state_(std::make_unique<DecodeState>(context_)) {
  bool is_png = false;
  file_ = open_picture(path, state_.get(), &is_png);
  if (file_ == nullptr) return;
  format_ = is_png ? png_decoding(file_.get(), state_.get()) : jpeg_decoding(file_.get(), state_.get());
}

PictureDecoding::~PictureDecoding() = default;

// Without a format decoding the file could not be read: finished at once.
bool PictureDecoding::advance(const StopHook& enough) { return format_ == nullptr || format_->advance(enough); }

PictureResult PictureDecoding::take() {
  PictureResult result;
  if (format_ != nullptr && format_->finished()) result.image = format_->take_image();
  if (result.image.pixels == nullptr) {
    // A decoder that gave nothing has recorded why.
    result.failure = state_->failure() != PictureFailure::none ? state_->failure() : PictureFailure::refused;
    result.reason = state_->reason();
  }
  return result;
}

PictureResult picture_load(const char* path, const DecodeContext& context) {
  PictureDecoding decoding(path, context);
  decoding.advance();
  return decoding.take();
}

PictureHeader picture_read_size(const char* path) {
  const DecodeContext context;
  DecodeState state(context);
  bool is_png = false;
  PictureHeader header;
  bool ok = false;
  if (FileHandle file = open_picture(path, &state, &is_png)) {
    ok = is_png ? png_read_size(file.get(), &state, &header.width, &header.height)
                : jpeg_read_size(file.get(), &state, &header.width, &header.height);
    ok = ok && state.size_acceptable(header.width, header.height);
  }
  if (!ok) {
    header.failure = state.failure() != PictureFailure::none ? state.failure() : PictureFailure::refused;
    header.reason = state.reason();
  }
  return header;
}
