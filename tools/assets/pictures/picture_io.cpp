#include "picture_io.h"

#include <string>
#include <vector>

#include "jpeg_write.h"
#include "output_file.h"
#include "png_write.h"

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

std::vector<const uint8_t*> rows_of(const std::vector<uint8_t>& bytes, const Canvas& c, int channels) {
  std::vector<const uint8_t*> rows(static_cast<size_t>(c.height()));
  for (int y = 0; y < c.height(); ++y) rows[y] = bytes.data() + static_cast<size_t>(y) * c.width() * channels;
  return rows;
}

// Pictures are written under a temporary name and renamed when complete, so
// an interrupted run or two runs into one directory never leave a torn file.
Result<void> finish(OutputFile& file, const Result<void>& written) {
  if (!written) {
    Failure failure{"cannot write " + file.path() + ": " + written.error()};
    file.abandon();
    return failure;
  }
  const Result<void> committed = file.commit();
  if (!committed) return Failure{"cannot write " + committed.error()};
  return {};
}

Result<void> open_for_writing(OutputFile& file, const std::string& path) {
  const Result<void> opened = file.open(path, OutputName::own);
  if (!opened) return Failure{"cannot write " + opened.error()};
  return {};
}

}  // namespace

Result<void> write_png(const std::string& path, const Canvas& canvas, bool with_alpha) {
  const int channels = with_alpha ? 4 : 3;
  std::vector<uint8_t> bytes = pack(canvas, channels);
  OutputFile file;
  if (Result<void> opened = open_for_writing(file, path); !opened) return opened;
  PngFormat format;
  format.colour = with_alpha ? PngColour::rgba : PngColour::rgb;
  format.level = 9;
  return finish(
      file, png_write(file.stream(), format, canvas.width(), canvas.height(), rows_of(bytes, canvas, channels).data()));
}

Result<void> write_jpeg(const std::string& path, const Canvas& canvas, int quality) {
  std::vector<uint8_t> bytes = pack(canvas, 3);
  OutputFile file;
  if (Result<void> opened = open_for_writing(file, path); !opened) return opened;
  JpegFormat format;
  format.quality = quality;
  format.optimize = true;
  return finish(file,
                jpeg_write(file.stream(), format, canvas.width(), canvas.height(), rows_of(bytes, canvas, 3).data()));
}

}  // namespace assets
