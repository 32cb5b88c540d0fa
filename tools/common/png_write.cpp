#include "png_write.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <new>

namespace {

// Everything the library may jump past lives in this plain record, and the
// function that calls setjmp holds no object with a destructor.
struct PngJob {
  const PngFormat* format;
  uint32_t width;
  uint32_t height;
  const uint8_t* const* rows;
  std::FILE* file;             // or
  std::vector<uint8_t>* out;   // the bytes in memory
  png_colorp palette;
  png_color_16 colour_key;
  char message[256];
};

[[noreturn]] void on_error(png_structp png, png_const_charp message) {
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  std::snprintf(job->message, sizeof job->message, "%s", message);
  png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

void append(png_structp png, png_bytep data, png_size_t size) {
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  try {
    job->out->insert(job->out->end(), data, data + size);
  } catch (const std::bad_alloc&) {
    png_error(png, "out of memory");
  }
}

void flush_nothing(png_structp) {}

bool encode(PngJob* job) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, job, on_error, on_warning);
  if (png == nullptr) {
    std::snprintf(job->message, sizeof job->message, "cannot create a PNG writer");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    if (info == nullptr) std::snprintf(job->message, sizeof job->message, "cannot create a PNG writer");
    png_destroy_write_struct(&png, &info);
    return false;
  }
  const PngFormat& format = *job->format;
  if (job->file != nullptr) {
    png_init_io(png, job->file);
  } else {
    png_set_write_fn(png, nullptr, append, flush_nothing);
  }
  if (format.level >= 0) png_set_compression_level(png, format.level);
  png_set_IHDR(png, info, job->width, job->height, format.bit_depth, static_cast<int>(format.colour),
               format.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!format.palette.empty()) png_set_PLTE(png, info, job->palette, static_cast<int>(format.palette.size()));
  if (!format.palette_alpha.empty()) {
    png_set_tRNS(png, info, format.palette_alpha.data(), static_cast<int>(format.palette_alpha.size()), nullptr);
  } else if (format.colour_key) {
    png_set_tRNS(png, info, nullptr, 0, &job->colour_key);
  }
  png_write_info(png, info);
  png_write_image(png, const_cast<png_bytepp>(job->rows));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

Result<void> write(std::FILE* file, std::vector<uint8_t>* out, const PngFormat& format, uint32_t width, uint32_t height,
                   const uint8_t* const* rows) {
  std::vector<png_color> palette;
  for (const PngRgb& entry : format.palette) palette.push_back(png_color{entry.r, entry.g, entry.b});
  png_color_16 key{};
  if (format.colour_key) {
    const std::vector<uint16_t>& k = *format.colour_key;
    if (k.size() == 1) key.gray = k[0];
    if (k.size() == 3) key.red = k[0], key.green = k[1], key.blue = k[2];
  }
  PngJob job{&format, width, height, rows, file, out, palette.data(), key, {}};
  errno = 0;
  bool ok = encode(&job);
  int reason = errno;
  if (ok && file != nullptr && std::fflush(file) != 0) {
    ok = false;
    reason = errno;
  }
  if (ok) return {};
  // A failed write shows as the library's "Write Error": the stream knows why.
  const bool system = file != nullptr && std::ferror(file) && reason != 0;
  return Failure{system ? std::strerror(reason) : job.message[0] != '\0' ? job.message : "cannot write PNG"};
}

// Each pixel a sharp `scale` x `scale` block: a row of the picture is made
// once and stands for `scale` rows of the file.
Result<void> write_pixels(std::FILE* file, std::vector<uint8_t>* out, const uint32_t* pixels, int32_t width,
                          int32_t height, bool alpha, int32_t scale, int level) {
  const size_t channels = alpha ? 4 : 3;
  const size_t stride = static_cast<size_t>(width) * scale * channels;
  std::vector<uint8_t> bytes(stride * static_cast<size_t>(height));
  std::vector<const uint8_t*> rows(static_cast<size_t>(height) * scale);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bytes.data() + static_cast<size_t>(y) * stride;
    for (int32_t k = 0; k < scale; ++k) rows[static_cast<size_t>(y) * scale + k] = row;
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      for (int32_t k = 0; k < scale; ++k) {
        uint8_t* o = row + (static_cast<size_t>(x) * scale + k) * channels;
        o[0] = static_cast<uint8_t>(p >> 16);
        o[1] = static_cast<uint8_t>(p >> 8);
        o[2] = static_cast<uint8_t>(p);
        if (alpha) o[3] = static_cast<uint8_t>(p >> 24);
      }
    }
  }
  PngFormat format;
  format.colour = alpha ? PngColour::rgba : PngColour::rgb;
  format.level = level;
  return write(file, out, format, static_cast<uint32_t>(width) * scale, static_cast<uint32_t>(height) * scale,
               rows.data());
}

}  // namespace

Result<void> png_write(std::FILE* file, const PngFormat& format, uint32_t width, uint32_t height,
                       const uint8_t* const* rows) {
  return write(file, nullptr, format, width, height, rows);
}

Result<void> png_write(std::vector<uint8_t>* out, const PngFormat& format, uint32_t width, uint32_t height,
                       const uint8_t* const* rows) {
  out->clear();
  return write(nullptr, out, format, width, height, rows);
}

Result<void> png_write_pixels(std::FILE* file, const uint32_t* pixels, int32_t width, int32_t height, bool alpha,
                              int level) {
  return write_pixels(file, nullptr, pixels, width, height, alpha, 1, level);
}

Result<void> png_write_pixels_enlarged(std::FILE* file, const uint32_t* pixels, int32_t width, int32_t height,
                                       int32_t scale, int level) {
  return write_pixels(file, nullptr, pixels, width, height, false, scale, level);
}

Result<void> png_write_pixels(std::vector<uint8_t>* out, const uint32_t* pixels, int32_t width, int32_t height,
                              bool alpha, int level) {
  out->clear();
  return write_pixels(nullptr, out, pixels, width, height, alpha, 1, level);
}
