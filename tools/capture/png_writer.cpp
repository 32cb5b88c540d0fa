#include "png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "output_file.h"

namespace {

void on_png_error(png_structp png, png_const_charp message) {
  auto* text = static_cast<std::string*>(png_get_error_ptr(png));
  *text = message;
  png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// The libpng calls, in a frame that holds nothing with a destructor, so that
// the library's error jump leaves no object half destroyed.
bool encode(std::FILE* file, const uint8_t* const* rows, int32_t width, int32_t height, int level,
            std::string* library_error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, library_error, on_png_error, on_png_warning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, level);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_rows(png, const_cast<png_bytepp>(rows), static_cast<png_uint_32>(height));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool encode_png_rgb(std::FILE* file, const std::string& name, const uint32_t* pixels, int32_t width,
                    int32_t height, int level, std::string* error) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  std::vector<const uint8_t*> rows(static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = rgb.data() + static_cast<size_t>(y) * width * 3;
    rows[y] = out;
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      out[3 * x] = static_cast<uint8_t>(p >> 16);
      out[3 * x + 1] = static_cast<uint8_t>(p >> 8);
      out[3 * x + 2] = static_cast<uint8_t>(p);
    }
  }
  std::string library_error;
  errno = 0;
  if (!encode(file, rows.data(), width, height, level, &library_error)) {
    // A failed write shows as the library's "Write Error": the stream knows why.
    const int reason = errno;
    if (std::ferror(file) && reason != 0) {
      *error = name + ": " + std::strerror(reason);
    } else {
      *error = name + ": " + (library_error.empty() ? "cannot write PNG" : library_error);
    }
    return false;
  }
  if (std::fflush(file) != 0) {
    *error = name + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool write_png_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height, int level,
                   std::string* error) {
  OutputFile file;
  if (!file.open(path, error)) return false;
  if (!encode_png_rgb(file.stream(), path, pixels, width, height, level, error)) return false;
  return file.commit(error);
}
