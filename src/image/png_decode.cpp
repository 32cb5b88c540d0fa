// PNG decoding through libpng. The transformations turn every colour type
// into bytes blue, green, red, alpha per pixel, which on a little-endian
// machine is exactly the word 0xAARRGGBB, so libpng writes its rows straight
// into the image's pixel array.

#include <png.h>

#include <csetjmp>
#include <cstdlib>

#include "image/picture_decode.h"

namespace {

// Everything a decoding owns lives in this record rather than in locals
// of the function that calls setjmp: values changed between setjmp and a
// longjmp back to it would otherwise be indeterminate, and the record lets
// the caller release whatever had been created when the error struck.
struct PngJob {
  DecodeState* state;
  png_structp png;
  png_infop info;
  png_infop end_info;
  Image image;
  png_bytep* rows;
};

DecodeState* state_of(png_structp png) { return static_cast<DecodeState*>(png_get_error_ptr(png)); }

[[noreturn]] void on_png_error(png_structp png, png_const_charp message) {
  state_of(png)->fail(PictureFailure::refused, "PNG: %s", message);
  png_longjmp(png, 1);
}

// Warnings (unknown or damaged ancillary chunks and the like) leave a usable
// picture; they are not worth a line on the console at start-up.
void on_png_warning(png_structp, png_const_charp) {}

// After every row: a stop request abandons the decoding like an error.
void on_png_row(png_structp png, png_uint_32, int) {
  if (state_of(png)->should_stop()) png_longjmp(png, 1);
}

void choose_transformations(PngJob* job, int bit_depth, int color_type) {
  png_structp png = job->png;
  const bool has_trns = png_get_valid(png, job->info, PNG_INFO_tRNS) != 0;

  // Palette entries become RGB (RGBA with tRNS), grey samples of 1, 2 or 4
  // bits are scaled to 8 bits, and a tRNS chunk becomes an alpha channel.
  if ((color_type == PNG_COLOR_TYPE_PALETTE && bit_depth <= 8) ||
      (color_type == PNG_COLOR_TYPE_GRAY && bit_depth < 8) || has_trns) {
    png_set_expand(png);
  }
  // Grey and grey with alpha are widened to three equal colour samples.
  if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  png_set_bgr(png);
  // Kinds without an alpha channel of their own get alpha 255; the filler is
  // not added where expansion of a tRNS chunk has already made one.
  if (color_type == PNG_COLOR_TYPE_RGB || color_type == PNG_COLOR_TYPE_GRAY ||
      color_type == PNG_COLOR_TYPE_PALETTE) {
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  }
  // 16-bit samples keep their high byte.
  if (bit_depth == 16) png_set_strip_16(png);
  png_set_interlace_handling(png);
}

// Runs every libpng call that can raise an error. A libpng error longjmps
// back to the setjmp below; no object with a destructor lives in this frame.
bool png_read_into(PngJob* job, std::FILE* file) {
  if (setjmp(png_jmpbuf(job->png))) return false;

  png_init_io(job->png, file);
  png_read_info(job->png, job->info);

  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bit_depth = 0;
  int color_type = 0;
  png_get_IHDR(job->png, job->info, &width, &height, &bit_depth, &color_type, nullptr, nullptr,
               nullptr);
  if (!job->state->size_acceptable(width, height)) return false;

  choose_transformations(job, bit_depth, color_type);
  png_read_update_info(job->png, job->info);
  // The rows are written straight into the pixel words: the transformed row
  // must be exactly four bytes a pixel or libpng would write past them.
  if (png_get_rowbytes(job->png, job->info) != static_cast<std::size_t>(width) * 4) {
    job->state->fail(PictureFailure::refused, "PNG: colour type %d at %d bits does not convert to 32-bit pixels",
                     color_type, bit_depth);
    return false;
  }

  job->image = job->state->image_create(width, height);
  if (job->image.pixels == nullptr) return false;
  job->rows = static_cast<png_bytep*>(std::calloc(height, sizeof(png_bytep)));
  if (job->rows == nullptr) {
    job->state->fail(PictureFailure::refused, "out of memory for the row table");
    return false;
  }
  for (png_uint_32 y = 0; y < height; ++y) {
    job->rows[y] = reinterpret_cast<png_bytep>(job->image.pixels + static_cast<std::size_t>(y) * width);
  }
  png_set_read_status_fn(job->png, on_png_row);
  png_read_image(job->png, job->rows);
  png_read_end(job->png, job->end_info);
  return true;
}

// The header alone, as png_read_info leaves it.
bool png_read_header(PngJob* job, std::FILE* file, uint32_t* width, uint32_t* height) {
  if (setjmp(png_jmpbuf(job->png))) return false;
  png_init_io(job->png, file);
  png_read_info(job->png, job->info);
  *width = png_get_image_width(job->png, job->info);
  *height = png_get_image_height(job->png, job->info);
  return true;
}

// Creates the reader and its info records; false with the reason recorded.
bool png_job_start(PngJob* job) {
  job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job->state, on_png_error, on_png_warning);
  if (job->png == nullptr) {
    job->state->fail(PictureFailure::refused, "PNG: cannot create the reader");
    return false;
  }
  job->info = png_create_info_struct(job->png);
  if (job->info != nullptr) job->end_info = png_create_info_struct(job->png);
  if (job->info == nullptr || job->end_info == nullptr) {
    job->state->fail(PictureFailure::refused, "PNG: cannot create the info records");
    return false;
  }
  return true;
}

void png_job_end(PngJob* job) {
  if (job->png != nullptr) {
    png_destroy_read_struct(&job->png, job->info != nullptr ? &job->info : nullptr,
                            job->end_info != nullptr ? &job->end_info : nullptr);
  }
}

}  // namespace

bool png_read_size(std::FILE* file, DecodeState* state, uint32_t* width, uint32_t* height) {
  PngJob job{};
  job.state = state;
  const bool ok = png_job_start(&job) && png_read_header(&job, file, width, height);
  png_job_end(&job);
  return ok;
}

Image png_decode(std::FILE* file, DecodeState* state) {
  PngJob job{};
  job.state = state;
  const bool ok = png_job_start(&job) && png_read_into(&job, file);
  png_job_end(&job);
  std::free(job.rows);
  if (!ok) return {};
  return std::move(job.image);
}
