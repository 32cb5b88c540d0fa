// PNG decoding through libpng. The transformations turn every colour type
// into bytes blue, green, red, alpha per pixel, which on a little-endian
// machine is exactly the word 0xAARRGGBB, so libpng writes its rows straight
// into the image's pixel array, one row a unit of work.

#include <png.h>

#include <csetjmp>

#include "image/picture_decode.h"

namespace {

DecodeState* state_of(png_structp png) { return static_cast<DecodeState*>(png_get_error_ptr(png)); }

[[noreturn]] void on_png_error(png_structp png, png_const_charp message) {
  state_of(png)->fail(PictureFailure::refused, "PNG: %s", message);
  png_longjmp(png, 1);
}

// Warnings (unknown or damaged ancillary chunks and the like) leave a usable
// picture; they are not worth a line on the console at start-up.
void on_png_warning(png_structp, png_const_charp) {}

void choose_transformations(png_structp png, png_infop info, int bit_depth, int color_type) {
  const bool has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

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
}

// One file's decoding. The reader keeps its place between steps; a libpng
// error longjmps back to the setjmp of the step under way, whose frame holds
// no object with a destructor: everything the decoding owns is a member,
// released by the destructor whatever the phase.
class PngDecoding final : public FormatDecoding {
 public:
  PngDecoding(std::FILE* file, DecodeState* state) : file_(file), state_(state) {}
  ~PngDecoding() override {
    if (png_ != nullptr) {
      png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, end_info_ != nullptr ? &end_info_ : nullptr);
    }
  }
  // The header alone, as png_read_info leaves it.
  bool read_size(uint32_t* width, uint32_t* height) {
    if (!create()) return false;
    if (setjmp(png_jmpbuf(png_))) return false;
    png_init_io(png_, file_);
    png_read_info(png_, info_);
    *width = png_get_image_width(png_, info_);
    *height = png_get_image_height(png_, info_);
    return true;
  }

 private:
  enum class Phase { header, rows, end };

  // The reader and its info records; false with the reason recorded.
  bool create() {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, state_, on_png_error, on_png_warning);
    if (png_ == nullptr) {
      state_->fail(PictureFailure::refused, "PNG: cannot create the reader");
      return false;
    }
    info_ = png_create_info_struct(png_);
    if (info_ != nullptr) end_info_ = png_create_info_struct(png_);
    if (info_ == nullptr || end_info_ == nullptr) {
      state_->fail(PictureFailure::refused, "PNG: cannot create the info records");
      return false;
    }
    return true;
  }

  bool step(const StopHook& enough) override {
    if (phase_ == Phase::header && png_ == nullptr && !create()) return false;
    if (setjmp(png_jmpbuf(png_))) return false;
    if (phase_ == Phase::header) {
      if (!read_header()) return false;
      phase_ = Phase::rows;
    }
    while (phase_ == Phase::rows) {
      // Each pass of an interlaced file fills in its pixels of every row.
      png_read_row(png_, reinterpret_cast<png_bytep>(image_.pixels + static_cast<std::size_t>(row_) * image_.width),
                   nullptr);
      if (++row_ == static_cast<uint32_t>(image_.height)) {
        row_ = 0;
        if (++pass_ == passes_) phase_ = Phase::end;
      }
      if (state_->should_stop()) return false;
      if (phase_ == Phase::rows && enough()) return true;
    }
    png_read_end(png_, end_info_);
    finish();
    return true;
  }

  // The header, the transformations and the picture the rows go into.
  bool read_header() {
    png_init_io(png_, file_);
    png_read_info(png_, info_);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bit_depth = 0;
    int color_type = 0;
    png_get_IHDR(png_, info_, &width, &height, &bit_depth, &color_type, nullptr, nullptr, nullptr);
    if (!state_->size_acceptable(width, height)) return false;

    choose_transformations(png_, info_, bit_depth, color_type);
    passes_ = png_set_interlace_handling(png_);
    png_read_update_info(png_, info_);
    // The rows are written straight into the pixel words: the transformed row
    // must be exactly four bytes a pixel or libpng would write past them.
    if (png_get_rowbytes(png_, info_) != static_cast<std::size_t>(width) * 4) {
      state_->fail(PictureFailure::refused, "PNG: colour type %d at %d bits does not convert to 32-bit pixels",
                   color_type, bit_depth);
      return false;
    }
    image_ = state_->image_create(width, height);
    return image_.pixels != nullptr;
  }

  std::FILE* file_;
  DecodeState* state_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  png_infop end_info_ = nullptr;
  Phase phase_ = Phase::header;
  int passes_ = 1;
  int pass_ = 0;
  uint32_t row_ = 0;
};

}  // namespace

bool png_read_size(std::FILE* file, DecodeState* state, uint32_t* width, uint32_t* height) {
  return PngDecoding(file, state).read_size(width, height);
}

std::unique_ptr<FormatDecoding> png_decoding(std::FILE* file, DecodeState* state) {
  return std::make_unique<PngDecoding>(file, state);
}
