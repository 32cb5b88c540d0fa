// JPEG decoding through libjpeg (6b interface), with the library's default
// decompression parameters. Colour files arrive as red, green, blue samples,
// grey files as one sample, CMYK and YCCK files as four CMYK samples.
//
// A decoding runs in steps. The library keeps its place between them by its
// own I/O suspension: a step that has had enough makes the file's source
// refuse to refill, and the library then backs up to the start of the unit
// it was in (a block row of a scan, a marker) and returns, to go on from
// there in the next step.

#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jerror.h>
#include <jpeglib.h>

#include <bit>
#include <csetjmp>
#include <cstdint>
#include <cstring>

#include "image/picture_decode.h"

namespace {

struct JpegErrorManager {
  jpeg_error_mgr pub;  // first, so that cinfo->err points at the whole record
  std::jmp_buf jump;
  DecodeState* state;
};

JpegErrorManager* manager_of(j_common_ptr cinfo) { return reinterpret_cast<JpegErrorManager*>(cinfo->err); }

// Every scan of a progressive file makes the library visit every block of
// the picture again, and nothing in the format bounds their number: a small
// file of thousands of near-empty scans would take minutes to decode. The
// work is bounded instead: scans times pixels, at most 2^31, which is 32
// scans of the largest picture accepted (real files have about ten) and
// thousands for the small ones; a second or so of decoding at most.
constexpr uint64_t max_scan_pixels = uint64_t{1} << 31;

[[noreturn]] void on_jpeg_error(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  manager_of(cinfo)->state->fail(PictureFailure::refused, "JPEG: %s", text);
  std::longjmp(manager_of(cinfo)->jump, 1);
}

// Warnings about damaged entropy-coded data leave a picture with some blocks
// wrong but the right size, and decoding goes on silently. A premature end of
// file is different: the library would pad the missing rest with grey, so a
// truncated file is refused like any other error.
void on_jpeg_message(j_common_ptr cinfo, int msg_level) {
  if (msg_level >= 0) return;  // trace messages
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) on_jpeg_error(cinfo);
  ++cinfo->err->num_warnings;
}

// Colour files can be decoded straight into the pixel words where the
// library offers blue, green, red and alpha bytes (alpha 255), which on a
// little-endian machine are the words 0xAARRGGBB: the same colour values as
// its red, green, blue samples, without a pass of their own to repack them.
#if defined(JCS_ALPHA_EXTENSIONS)
constexpr bool direct_words = std::endian::native == std::endian::little;
constexpr J_COLOR_SPACE direct_space = JCS_EXT_BGRA;
#else
constexpr bool direct_words = false;
constexpr J_COLOR_SPACE direct_space = JCS_RGB;
#endif

// Adobe applications write CMYK inverted (255 = no ink), which is also what
// libjpeg hands back for YCCK files; the colour is then simply each of the
// stored C, M, Y scaled by the stored K.
inline uint32_t scale_by_k(uint32_t value, uint32_t k) { return (value * k + 127) / 255; }

void convert_row(const JSAMPLE* in, uint32_t* out, JDIMENSION width, J_COLOR_SPACE space) {
  switch (space) {
    case JCS_GRAYSCALE:
      for (JDIMENSION x = 0; x < width; ++x) out[x] = 0xFF000000u | in[x] * 0x010101u;
      break;
    case JCS_RGB:
      for (JDIMENSION x = 0; x < width; ++x, in += 3) {
        out[x] = 0xFF000000u + (uint32_t{in[0]} << 16) + (uint32_t{in[1]} << 8) + in[2];
      }
      break;
    default:  // JCS_CMYK, the only other space jpeg_decode_into lets through
      for (JDIMENSION x = 0; x < width; ++x, in += 4) {
        const uint32_t k = in[3];
        out[x] = 0xFF000000u | scale_by_k(in[0], k) << 16 | scale_by_k(in[1], k) << 8 |
                 scale_by_k(in[2], k);
      }
      break;
  }
}

// The file's bytes for the library, a buffer at a time, as its stdio source
// reads them, with one difference: once `yielding` is set the refills
// suspend the library instead. It is set only between the library's units
// of work (from the progress monitor), so that no unit has had a refill
// before it suspends, and the bytes from where the unit began are still the
// buffer's when the library backs up to them.
struct StepSource {
  static constexpr std::size_t buffer_size = 4096;

  jpeg_source_mgr pub;  // first, so that cinfo->src points at the whole record
  std::FILE* file;
  JOCTET* buffer;
  bool yielding;
  bool started;
};

StepSource* source_of(j_decompress_ptr cinfo) { return reinterpret_cast<StepSource*>(cinfo->src); }

void on_source_init(j_decompress_ptr) {}
void on_source_term(j_decompress_ptr) {}

boolean on_source_fill(j_decompress_ptr cinfo) {
  StepSource* source = source_of(cinfo);
  if (source->yielding) return FALSE;
  std::size_t got = std::fread(source->buffer, 1, StepSource::buffer_size, source->file);
  if (got == 0) {
    if (std::ferror(source->file)) ERREXIT(cinfo, JERR_FILE_READ);
    if (!source->started) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    // A truncated file (refused by on_jpeg_message); were it not, the
    // library would read an end of picture here.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source->buffer[0] = 0xFF;
    source->buffer[1] = JPEG_EOI;
    got = 2;
  }
  source->started = true;
  source->pub.next_input_byte = source->buffer;
  source->pub.bytes_in_buffer = got;
  return TRUE;
}

// A skip may not suspend: what lies beyond the buffer is skipped in the
// file itself (past its end, the next refill finds it truncated).
void on_source_skip(j_decompress_ptr cinfo, long count) {
  StepSource* source = source_of(cinfo);
  if (count <= 0) return;
  const auto bytes = static_cast<std::size_t>(count);
  if (bytes <= source->pub.bytes_in_buffer) {
    source->pub.next_input_byte += bytes;
    source->pub.bytes_in_buffer -= bytes;
    return;
  }
  const std::size_t rest = bytes - source->pub.bytes_in_buffer;
  source->pub.next_input_byte += source->pub.bytes_in_buffer;
  source->pub.bytes_in_buffer = 0;
  if (std::fseek(source->file, static_cast<long>(rest), SEEK_CUR) != 0) ERREXIT(cinfo, JERR_FILE_READ);
}

// One file's decoding. A libjpeg error longjmps back to the setjmp of the
// step under way, whose frame holds no object with a destructor: everything
// the decoding owns is a member (the library's memory in its pools),
// released by the destructor whatever the phase.
class JpegDecoding final : public FormatDecoding {
 public:
  JpegDecoding(std::FILE* file, DecodeState* state) {
    err_.state = state;
    cinfo_.err = jpeg_std_error(&err_.pub);
    err_.pub.error_exit = on_jpeg_error;
    err_.pub.emit_message = on_jpeg_message;
    source_.file = file;
  }
  // The decompressor is zero-filled until made, so that destroying one whose
  // making failed half-way finds no memory manager and does nothing.
  ~JpegDecoding() override { jpeg_destroy_decompress(&cinfo_); }
  // The header alone: the size a decoding would give the picture (the
  // default parameters do not scale it).
  bool read_size(uint32_t* width, uint32_t* height) {
    if (setjmp(err_.jump)) return false;
    start();
    jpeg_read_header(&cinfo_, TRUE);
    *width = cinfo_.image_width;
    *height = cinfo_.image_height;
    return true;
  }

 private:
  enum class Phase { header, decompress, rows, end };

  // Makes the decompressor over the stepping source.
  void start() {
    jpeg_create_decompress(&cinfo_);
    cinfo_.client_data = this;
    progress_.progress_monitor = on_progress;
    cinfo_.progress = &progress_;
    source_.buffer = static_cast<JOCTET*>((*cinfo_.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&cinfo_),
                                                                     JPOOL_PERMANENT, StepSource::buffer_size));
    source_.pub.init_source = on_source_init;
    source_.pub.fill_input_buffer = on_source_fill;
    source_.pub.skip_input_data = on_source_skip;
    source_.pub.resync_to_restart = jpeg_resync_to_restart;
    source_.pub.term_source = on_source_term;
    cinfo_.src = &source_.pub;
  }

  bool step(const StopHook& enough) override {
    enough_ = &enough;
    progress_calls_ = 0;
    source_.yielding = false;
    if (setjmp(err_.jump)) return false;
    if (phase_ == Phase::header) {
      if (cinfo_.mem == nullptr) start();
      if (jpeg_read_header(&cinfo_, TRUE) == JPEG_SUSPENDED) return true;
      // Checked before jpeg_start_decompress, whose buffers grow with the width.
      if (!err_.state->size_acceptable(cinfo_.image_width, cinfo_.image_height)) return false;
      if (direct_words && cinfo_.out_color_space == JCS_RGB) cinfo_.out_color_space = direct_space;
      phase_ = Phase::decompress;
    }
    if (phase_ == Phase::decompress) {
      // A file of many scans is read whole here, a block row at a time.
      if (!jpeg_start_decompress(&cinfo_)) return true;
      if (!prepare_rows()) return false;
      phase_ = Phase::rows;
    }
    while (phase_ == Phase::rows) {
      const JDIMENSION y = cinfo_.output_scanline;
      const JDIMENSION height = cinfo_.output_height;
      // Straight into the pixel words, as many rows as the library makes
      // together; otherwise a scanline of samples at a time.
      const JDIMENSION got = direct_ ? jpeg_read_scanlines(&cinfo_, rows_ + y, height - y)
                                     : jpeg_read_scanlines(&cinfo_, rows_, 1);
      if (got == 0) {
        if (source_.yielding) return true;
        err_.state->fail(PictureFailure::refused, "JPEG: no data for row %u", y);
        return false;
      }
      if (!direct_) convert_row(rows_[0], image_.pixels + static_cast<std::size_t>(y) * image_.width,
                                cinfo_.output_width, cinfo_.out_color_space);
      if (cinfo_.output_scanline == height) phase_ = Phase::end;
      else if (source_.yielding || enough()) return true;
    }
    if (!jpeg_finish_decompress(&cinfo_)) return true;
    finish();
    return true;
  }

  // After jpeg_start_decompress: the picture and the rows it is read by.
  bool prepare_rows() {
    const J_COLOR_SPACE space = cinfo_.out_color_space;
    const int components = cinfo_.output_components;
    direct_ = direct_words && space == direct_space && components == 4;
    if (!direct_ && !(space == JCS_GRAYSCALE && components == 1) && !(space == JCS_RGB && components == 3) &&
        !(space == JCS_CMYK && components == 4)) {
      err_.state->fail(PictureFailure::refused, "JPEG: unsupported colour space (%d components)",
                       cinfo_.num_components);
      return false;
    }
    const JDIMENSION width = cinfo_.output_width;
    const JDIMENSION height = cinfo_.output_height;
    if (!err_.state->size_acceptable(width, height)) return false;
    image_ = err_.state->image_create(width, height);
    if (image_.pixels == nullptr) return false;
    const auto common = reinterpret_cast<j_common_ptr>(&cinfo_);
    if (direct_) {
      // Every row of the picture offered at once: the library then writes as
      // many rows a call as it makes together, without a copy of its own.
      rows_ = static_cast<JSAMPARRAY>((*cinfo_.mem->alloc_small)(common, JPOOL_IMAGE, height * sizeof(JSAMPROW)));
      for (JDIMENSION y = 0; y < height; ++y) {
        rows_[y] = reinterpret_cast<JSAMPROW>(image_.pixels + static_cast<std::size_t>(y) * width);
      }
    } else {
      // One scanline of samples, from the library's image pool.
      rows_ = (*cinfo_.mem->alloc_sarray)(common, JPOOL_IMAGE, width * static_cast<JDIMENSION>(components), 1);
    }
    return true;
  }

  // Between the library's units of work: the bound on scans (above), the
  // stop hook, and the step's own. A step that has had enough (never at the
  // first call of a step, so that every step moves on) suspends at the next
  // refill.
  static void on_progress(j_common_ptr common) {
    auto* self = static_cast<JpegDecoding*>(common->client_data);
    const j_decompress_ptr cinfo = &self->cinfo_;
    const uint64_t pixels = uint64_t{cinfo->image_width} * cinfo->image_height;
    const uint64_t max_scans = pixels > 0 ? max_scan_pixels / pixels : max_scan_pixels;
    if (static_cast<uint64_t>(cinfo->input_scan_number) > max_scans) {
      self->err_.state->fail(PictureFailure::refused, "JPEG: more than %llu scans for %u x %u pixels",
                             static_cast<unsigned long long>(max_scans), cinfo->image_width, cinfo->image_height);
      std::longjmp(self->err_.jump, 1);
    }
    if (self->err_.state->should_stop()) std::longjmp(self->err_.jump, 1);
    // The arithmetic decoder cannot suspend: such a file's scans are read
    // whole, its rows still a few a step.
    if (++self->progress_calls_ > 1 && !cinfo->arith_code && self->enough_ != nullptr && (*self->enough_)()) self->source_.yielding = true;
  }

  jpeg_decompress_struct cinfo_{};
  JpegErrorManager err_{};
  jpeg_progress_mgr progress_{};
  StepSource source_{};
  // The step under way's hook, and how often it has been asked.
  const StopHook* enough_ = nullptr;
  int progress_calls_ = 0;
  JSAMPARRAY rows_ = nullptr;
  bool direct_ = false;
  Phase phase_ = Phase::header;
};

}  // namespace

bool jpeg_read_size(std::FILE* file, DecodeState* state, uint32_t* width, uint32_t* height) {
  return JpegDecoding(file, state).read_size(width, height);
}

std::unique_ptr<FormatDecoding> jpeg_decoding(std::FILE* file, DecodeState* state) {
  return std::make_unique<JpegDecoding>(file, state);
}
