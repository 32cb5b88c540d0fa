// JPEG decoding through libjpeg (6b interface), with the library's default
// decompression parameters. Colour files arrive as red, green, blue samples,
// grey files as one sample, CMYK and YCCK files as four CMYK samples.

#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jerror.h>
#include <jpeglib.h>

#include <bit>
#include <csetjmp>
#include <cstdint>

#include "image/picture_decode.h"

namespace {

struct JpegErrorManager {
  jpeg_error_mgr pub;  // first, so that cinfo->err points at the whole record
  std::jmp_buf jump;
  DecodeState* state;
};

JpegErrorManager* manager_of(j_common_ptr cinfo) { return reinterpret_cast<JpegErrorManager*>(cinfo->err); }

// Everything a decoding owns, in a record outside the setjmp frame
// (see png_decode.cpp for why).
struct JpegJob {
  jpeg_decompress_struct cinfo;
  JpegErrorManager err;
  jpeg_progress_mgr progress;
  Image image;
};

// Every scan of a progressive file makes the library visit every block of
// the picture again, and nothing in the format bounds their number: a small
// file of thousands of near-empty scans would take minutes to decode. The
// work is bounded instead: scans times pixels, at most 2^31, which is 32
// scans of the largest picture accepted (real files have about ten) and
// thousands for the small ones; a second or so of decoding at most.
constexpr uint64_t max_scan_pixels = uint64_t{1} << 31;

void on_jpeg_progress(j_common_ptr cinfo) {
  const auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
  const uint64_t pixels = uint64_t{decompress->image_width} * decompress->image_height;
  const uint64_t max_scans = pixels > 0 ? max_scan_pixels / pixels : max_scan_pixels;
  JpegErrorManager* manager = manager_of(cinfo);
  if (static_cast<uint64_t>(decompress->input_scan_number) > max_scans) {
    manager->state->fail(PictureFailure::refused, "JPEG: more than %llu scans for %u x %u pixels",
                         static_cast<unsigned long long>(max_scans), decompress->image_width, decompress->image_height);
  } else if (!manager->state->should_stop()) {
    return;
  }
  std::longjmp(manager->jump, 1);
}

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

// Runs every libjpeg call that can raise an error; on_jpeg_error longjmps
// back to the setjmp below. No object with a destructor lives in this frame.
bool jpeg_decode_into(JpegJob* job, std::FILE* file) {
  if (setjmp(job->err.jump)) return false;

  j_decompress_ptr cinfo = &job->cinfo;
  jpeg_create_decompress(cinfo);
  job->progress.progress_monitor = on_jpeg_progress;
  cinfo->progress = &job->progress;
  jpeg_stdio_src(cinfo, file);
  jpeg_read_header(cinfo, TRUE);
  // Checked before jpeg_start_decompress, whose buffers grow with the width.
  if (!job->err.state->size_acceptable(cinfo->image_width, cinfo->image_height)) return false;
  if (direct_words && cinfo->out_color_space == JCS_RGB) cinfo->out_color_space = direct_space;
  jpeg_start_decompress(cinfo);

  const J_COLOR_SPACE space = cinfo->out_color_space;
  const int components = cinfo->output_components;
  const bool direct = direct_words && space == direct_space && components == 4;
  if (!direct && !(space == JCS_GRAYSCALE && components == 1) && !(space == JCS_RGB && components == 3) &&
      !(space == JCS_CMYK && components == 4)) {
    job->err.state->fail(PictureFailure::refused, "JPEG: unsupported colour space (%d components)",
                         cinfo->num_components);
    return false;
  }
  const JDIMENSION width = cinfo->output_width;
  const JDIMENSION height = cinfo->output_height;
  if (!job->err.state->size_acceptable(width, height)) return false;

  job->image = job->err.state->image_create(width, height);
  if (job->image.pixels == nullptr) return false;
  if (direct) {
    // Every row of the picture offered at once: the library then writes as
    // many rows a call as it makes together, without a copy of its own.
    auto rows = static_cast<JSAMPARRAY>((*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                                   height * sizeof(JSAMPROW)));
    for (JDIMENSION y = 0; y < height; ++y) {
      rows[y] = reinterpret_cast<JSAMPROW>(job->image.pixels + static_cast<std::size_t>(y) * width);
    }
    while (cinfo->output_scanline < height) {
      const JDIMENSION y = cinfo->output_scanline;
      if (jpeg_read_scanlines(cinfo, rows + y, height - y) == 0) {
        job->err.state->fail(PictureFailure::refused, "JPEG: no data for row %u", y);
        return false;
      }
    }
    jpeg_finish_decompress(cinfo);
    return true;
  }
  // One scanline of samples, from the library's image pool: released by
  // jpeg_destroy_decompress on every path.
  JSAMPARRAY line = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                width * static_cast<JDIMENSION>(components), 1);
  while (cinfo->output_scanline < height) {
    const JDIMENSION y = cinfo->output_scanline;
    if (jpeg_read_scanlines(cinfo, line, 1) != 1) {
      job->err.state->fail(PictureFailure::refused, "JPEG: no data for row %u", y);
      return false;
    }
    convert_row(line[0], job->image.pixels + static_cast<std::size_t>(y) * width, width, space);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

// The header alone: the size jpeg_decode_into would give the picture (the
// default parameters do not scale it).
bool jpeg_read_header_into(JpegJob* job, std::FILE* file, uint32_t* width, uint32_t* height) {
  if (setjmp(job->err.jump)) return false;
  j_decompress_ptr cinfo = &job->cinfo;
  jpeg_create_decompress(cinfo);
  jpeg_stdio_src(cinfo, file);
  jpeg_read_header(cinfo, TRUE);
  *width = cinfo->image_width;
  *height = cinfo->image_height;
  return true;
}

void jpeg_job_start(JpegJob* job, DecodeState* state) {
  job->err.state = state;
  job->cinfo.err = jpeg_std_error(&job->err.pub);
  job->err.pub.error_exit = on_jpeg_error;
  job->err.pub.emit_message = on_jpeg_message;
}

}  // namespace

bool jpeg_read_size(std::FILE* file, DecodeState* state, uint32_t* width, uint32_t* height) {
  JpegJob job{};
  jpeg_job_start(&job, state);
  const bool ok = jpeg_read_header_into(&job, file, width, height);
  jpeg_destroy_decompress(&job.cinfo);
  return ok;
}

Image jpeg_decode(std::FILE* file, DecodeState* state) {
  // Zero-filled, so that destroying a decompressor whose creation failed
  // half-way finds no memory manager and does nothing.
  JpegJob job{};
  jpeg_job_start(&job, state);

  const bool ok = jpeg_decode_into(&job, file);
  jpeg_destroy_decompress(&job.cinfo);
  if (!ok) return {};
  return std::move(job.image);
}
