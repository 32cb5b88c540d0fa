#include "image/picture_load.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/file_handle.h"
#include "image/picture_decode.h"

namespace {

// Per thread: pictures may be decoded on several threads at once.
thread_local char last_error[512];
thread_local bool last_unreadable = false;
thread_local bool (*thread_stop)(void*) = nullptr;
thread_local void* thread_stop_context = nullptr;
thread_local uint32_t* placed_pixels = nullptr;
thread_local uint64_t placed_count = 0;

}  // namespace

bool (*picture_stop_requested)() = nullptr;

void picture_stop_on_this_thread(bool (*stop)(void*), void* context) {
  thread_stop = stop;
  thread_stop_context = context;
}

bool picture_should_stop() {
  if (thread_stop != nullptr) {
    if (!thread_stop(thread_stop_context)) return false;
  } else if (picture_stop_requested == nullptr || !picture_stop_requested()) {
    return false;
  }
  picture_set_error("stopped");
  return true;
}

void picture_set_error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(last_error, sizeof last_error, format, args);
  va_end(args);
}

const char* picture_load_error() { return last_error; }

bool picture_load_unreadable() { return last_unreadable; }

bool picture_size_acceptable(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0) {
    picture_set_error("picture of %llu x %llu pixels is empty",
                      static_cast<unsigned long long>(width), static_cast<unsigned long long>(height));
    return false;
  }
  // Each side is checked first, so the product below cannot overflow.
  if (width > picture_max_side || height > picture_max_side ||
      width * height > picture_max_pixels) {
    picture_set_error("picture of %llu x %llu pixels is larger than the %u pixels a side "
                      "and %llu pixels in all accepted",
                      static_cast<unsigned long long>(width), static_cast<unsigned long long>(height),
                      static_cast<unsigned>(picture_max_side),
                      static_cast<unsigned long long>(picture_max_pixels));
    return false;
  }
  return true;
}

void picture_place_next(uint32_t* pixels, uint64_t count) {
  placed_pixels = pixels;
  placed_count = pixels != nullptr ? count : 0;
}

Image* picture_image_create(uint32_t width, uint32_t height) {
  const bool placed = placed_pixels != nullptr && static_cast<uint64_t>(width) * height == placed_count;
  Image* image = placed ? image_create_over(placed_pixels, static_cast<int32_t>(width), static_cast<int32_t>(height))
                        : image_create(static_cast<int32_t>(width), static_cast<int32_t>(height));
  if (image == nullptr) picture_set_error("out of memory for %u x %u pixels", width, height);
  return image;
}

namespace {

// Opens a picture file and tells PNG from JPEG; null with the reason recorded
// if it cannot be read.
FileHandle open_picture(const char* path, bool* is_png) {
  last_error[0] = '\0';
  last_unreadable = true;
  if (path == nullptr) {
    picture_set_error("no path given");
    return nullptr;
  }
  // Only regular files: opening a named pipe would wait for a writer forever.
  struct stat info;
  if (::stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
    picture_set_error("not a regular file");
    return nullptr;
  }
  FileHandle file(std::fopen(path, "rb"));
  if (!file) {
    picture_set_error("%s", std::strerror(errno));
    return nullptr;
  }

  // Both libraries read the file from its first byte: peek at the signature,
  // then go back. A file shorter than the signature cannot be a PNG.
  unsigned char signature[8];
  const std::size_t got = std::fread(signature, 1, sizeof signature, file.get());
  if (std::ferror(file.get())) {
    picture_set_error("%s", std::strerror(errno));
    return nullptr;
  }
  if (std::fseek(file.get(), 0, SEEK_SET) != 0) {
    picture_set_error("cannot seek: %s", std::strerror(errno));
    return nullptr;
  }
  // From here on the file is read by a decoder: a failure is the content's.
  last_unreadable = false;
  *is_png = got == sizeof signature && png_sig_cmp(signature, 0, sizeof signature) == 0;
  return file;
}

}  // namespace

Image* picture_load(const char* path) {
  bool is_png = false;
  FileHandle file = open_picture(path, &is_png);
  if (!file) return nullptr;
  Image* image = is_png ? png_decode(file.get()) : jpeg_decode(file.get());
  if (image != nullptr) last_error[0] = '\0';
  return image;
}

bool picture_read_size(const char* path, uint32_t* width, uint32_t* height) {
  bool is_png = false;
  FileHandle file = open_picture(path, &is_png);
  if (!file) return false;
  const bool ok = is_png ? png_read_size(file.get(), width, height) : jpeg_read_size(file.get(), width, height);
  if (ok) last_error[0] = '\0';
  return ok;
}
