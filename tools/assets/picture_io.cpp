#include "picture_io.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "output_file.h"

namespace assets {

namespace {

uint8_t to_byte(float v) {
  if (!(v > 0)) return 0;  // also catches NaN
  if (v >= 1) return 255;
  return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

std::vector<uint8_t> pack(const Canvas& c, int channels) {
  std::vector<uint8_t> out(static_cast<size_t>(c.width()) * c.height() * channels);
  size_t i = 0;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const float* p = c.at(x, y);
      for (int k = 0; k < channels; ++k) out[i++] = to_byte(p[k]);
    }
  return out;
}

// libpng reports errors by longjmp; this frame holds nothing with a destructor.
struct PngError {
  std::jmp_buf jump;
  char message[200];
};

void png_error_fn(png_structp png, png_const_charp message) {
  auto* err = static_cast<PngError*>(png_get_error_ptr(png));
  std::snprintf(err->message, sizeof err->message, "%s", message);
  std::longjmp(err->jump, 1);
}
void png_warning_fn(png_structp, png_const_charp) {}

bool png_write_rows(std::FILE* file, int width, int height, bool alpha, png_bytep* rows,
                    PngError* err) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, err, png_error_fn, png_warning_fn);
  if (png == nullptr) {
    std::snprintf(err->message, sizeof err->message, "cannot create a PNG writer");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    std::snprintf(err->message, sizeof err->message, "cannot create a PNG writer");
    return false;
  }
  if (setjmp(err->jump)) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void jpeg_error_fn(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

bool jpeg_write_rows(std::FILE* file, int width, int height, int quality, JSAMPROW* rows,
                     JpegError* err) {
  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&err->mgr);
  err->mgr.error_exit = jpeg_error_fn;
  if (setjmp(err->jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.write_JFIF_header = TRUE;
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height)
    jpeg_write_scanlines(&cinfo, &rows[cinfo.next_scanline], 1);
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

// Pictures are written under a temporary name and renamed when complete, so
// an interrupted run or two runs into one directory never leave a torn file.
bool finish(OutputFile& file, bool ok, const char* message, std::string* error) {
  if (!ok) {
    *error = "cannot write " + file.path() + ": " + message;
    file.abandon();
    return false;
  }
  std::string reason;
  if (!file.commit(&reason)) {
    *error = "cannot write " + reason;
    return false;
  }
  return true;
}

bool open_for_writing(OutputFile& file, const std::string& path, std::string* error) {
  std::string reason;
  if (file.open(path, &reason)) return true;
  *error = "cannot write " + reason;
  return false;
}

}  // namespace

bool write_png(const std::string& path, const Canvas& canvas, bool with_alpha,
               std::string* error) {
  const int channels = with_alpha ? 4 : 3;
  std::vector<uint8_t> bytes = pack(canvas, channels);
  std::vector<png_bytep> rows(canvas.height());
  for (int y = 0; y < canvas.height(); ++y)
    rows[y] = bytes.data() + static_cast<size_t>(y) * canvas.width() * channels;
  OutputFile file;
  if (!open_for_writing(file, path, error)) return false;
  PngError err{};
  const bool ok = png_write_rows(file.stream(), canvas.width(), canvas.height(), with_alpha,
                                 rows.data(), &err);
  return finish(file, ok, err.message, error);
}

bool write_jpeg(const std::string& path, const Canvas& canvas, int quality, std::string* error) {
  std::vector<uint8_t> bytes = pack(canvas, 3);
  std::vector<JSAMPROW> rows(canvas.height());
  for (int y = 0; y < canvas.height(); ++y)
    rows[y] = bytes.data() + static_cast<size_t>(y) * canvas.width() * 3;
  OutputFile file;
  if (!open_for_writing(file, path, error)) return false;
  JpegError err{};
  const bool ok =
      jpeg_write_rows(file.stream(), canvas.width(), canvas.height(), quality, rows.data(), &err);
  return finish(file, ok, err.message, error);
}

}  // namespace assets
