#include "jpeg_write.h"

#include <csetjmp>
#include <cstdlib>

#include <jpeglib.h>

namespace {

// The error manager, the jump back and everything the library may jump past,
// in one plain record; the function that calls setjmp holds no object with a
// destructor.
struct JpegJob {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  jpeg_compress_struct cinfo;
  unsigned char* memory;  // the bytes of a write to memory (malloc'd by the library)
  unsigned long memory_size;
};

[[noreturn]] void on_error(j_common_ptr cinfo) {
  auto* job = reinterpret_cast<JpegJob*>(cinfo->err);  // the manager is the record's first member
  (*cinfo->err->format_message)(cinfo, job->message);
  std::longjmp(job->jump, 1);
}

void on_message(j_common_ptr) {}

bool encode(JpegJob* job, std::FILE* file, const JpegFormat& format, uint32_t width, uint32_t height,
            const uint8_t* const* rows) {
  jpeg_compress_struct* cinfo = &job->cinfo;
  cinfo->err = jpeg_std_error(&job->manager);
  job->manager.error_exit = on_error;
  job->manager.output_message = on_message;
  if (setjmp(job->jump)) return false;
  jpeg_create_compress(cinfo);
  if (file != nullptr) {
    jpeg_stdio_dest(cinfo, file);
  } else {
    jpeg_mem_dest(cinfo, &job->memory, &job->memory_size);
  }
  cinfo->image_width = width;
  cinfo->image_height = height;
  switch (format.samples) {
    case JpegSamples::grey: cinfo->input_components = 1, cinfo->in_color_space = JCS_GRAYSCALE; break;
    case JpegSamples::rgb: cinfo->input_components = 3, cinfo->in_color_space = JCS_RGB; break;
    case JpegSamples::cmyk: cinfo->input_components = 4, cinfo->in_color_space = JCS_CMYK; break;
  }
  jpeg_set_defaults(cinfo);
  if (format.storage == JpegStorage::rgb) jpeg_set_colorspace(cinfo, JCS_RGB);
  if (format.storage == JpegStorage::ycck) jpeg_set_colorspace(cinfo, JCS_YCCK);
  jpeg_set_quality(cinfo, format.quality, TRUE);
  if (format.full_chroma) {
    for (int c = 0; c < cinfo->num_components; ++c) {
      cinfo->comp_info[c].h_samp_factor = 1;
      cinfo->comp_info[c].v_samp_factor = 1;
    }
  }
  cinfo->optimize_coding = format.optimize ? TRUE : FALSE;
  if (format.progressive) jpeg_simple_progression(cinfo);
  cinfo->arith_code = format.arithmetic ? TRUE : FALSE;
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < height) {
    JSAMPROW row = const_cast<JSAMPROW>(rows[cinfo->next_scanline]);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

Result<void> write(std::FILE* file, std::vector<uint8_t>* out, const JpegFormat& format, uint32_t width,
                   uint32_t height, const uint8_t* const* rows) {
  JpegJob job{};
  const bool ok = encode(&job, file, format, width, height, rows);
  jpeg_destroy_compress(&job.cinfo);
  if (ok && out != nullptr) out->assign(job.memory, job.memory + job.memory_size);
  std::free(job.memory);
  if (!ok) return Failure{job.message};
  return {};
}

}  // namespace

Result<void> jpeg_write(std::FILE* file, const JpegFormat& format, uint32_t width, uint32_t height,
                        const uint8_t* const* rows) {
  return write(file, nullptr, format, width, height, rows);
}

Result<void> jpeg_write(std::vector<uint8_t>* out, const JpegFormat& format, uint32_t width, uint32_t height,
                        const uint8_t* const* rows) {
  return write(nullptr, out, format, width, height, rows);
}
