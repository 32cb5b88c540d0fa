#include "pictures.h"

#include <zlib.h>

#include <stdexcept>

namespace {

std::vector<uint8_t> pattern_rgb(int32_t width, int32_t height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<uint8_t>(x * 7 + y);
      p[1] = static_cast<uint8_t>(y * 5);
      p[2] = static_cast<uint8_t>((x ^ y) * 3);
    }
  }
  return rgb;
}

std::vector<const uint8_t*> rows_of(const std::vector<uint8_t>& bytes, uint32_t height) {
  std::vector<const uint8_t*> rows;
  const size_t stride = height == 0 ? 0 : bytes.size() / height;
  for (uint32_t y = 0; y < height; ++y) rows.push_back(bytes.data() + y * stride);
  return rows;
}

int channels_of(PngColour colour) {
  switch (colour) {
    case PngColour::grey: case PngColour::palette: return 1;
    case PngColour::grey_alpha: return 2;
    case PngColour::rgb: return 3;
    case PngColour::rgba: return 4;
  }
  return 0;
}

int channels_of(JpegSamples samples) {
  return samples == JpegSamples::grey ? 1 : samples == JpegSamples::rgb ? 3 : 4;
}

// A row of samples packed as PNG stores them.
void pack_row(const uint16_t* samples, size_t count, int bit_depth, std::vector<uint8_t>* out) {
  if (bit_depth == 16) {
    for (size_t i = 0; i < count; ++i) {
      out->push_back(static_cast<uint8_t>(samples[i] >> 8));
      out->push_back(static_cast<uint8_t>(samples[i]));
    }
  } else if (bit_depth == 8) {
    for (size_t i = 0; i < count; ++i) out->push_back(static_cast<uint8_t>(samples[i]));
  } else {
    // Samples of 1, 2 or 4 bits, the first in the most significant bits.
    const size_t per_byte = 8 / static_cast<size_t>(bit_depth);
    const size_t start = out->size();
    out->resize(start + (count + per_byte - 1) / per_byte, 0);
    for (size_t i = 0; i < count; ++i) {
      const int shift = 8 - bit_depth * (static_cast<int>(i % per_byte) + 1);
      (*out)[start + i / per_byte] |= static_cast<uint8_t>(samples[i] << shift);
    }
  }
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void put_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, static_cast<uint32_t>(crc32(0L, &out[start], static_cast<uInt>(out.size() - start))));
}

std::vector<uint8_t> png_head(uint32_t width, uint32_t height, uint8_t colour_type) {
  std::vector<uint8_t> out = {137, 80, 78, 71, 13, 10, 26, 10};
  std::vector<uint8_t> ihdr;
  put32(ihdr, width);
  put32(ihdr, height);
  ihdr.insert(ihdr.end(), {8, colour_type, 0, 0, 0});
  put_chunk(out, "IHDR", ihdr);
  return out;
}

}  // namespace

std::vector<uint8_t> encode_png(uint32_t width, uint32_t height, const PngFormat& format,
                                const std::vector<uint16_t>& samples) {
  const size_t per_row = static_cast<size_t>(width) * channels_of(format.colour);
  if (samples.size() != per_row * height) throw std::invalid_argument("encode_png: wrong number of samples");
  std::vector<uint8_t> packed;
  for (uint32_t y = 0; y < height; ++y) pack_row(&samples[y * per_row], per_row, format.bit_depth, &packed);
  std::vector<uint8_t> png;
  const Result<void> written = png_write(&png, format, width, height, rows_of(packed, height).data());
  if (!written) throw std::runtime_error("PNG fixture: " + written.error());
  return png;
}

std::vector<uint8_t> encode_rgb_png(uint32_t width, uint32_t height, const std::vector<uint32_t>& rgb) {
  std::vector<uint16_t> samples;
  for (uint32_t word : rgb) samples.insert(samples.end(), {static_cast<uint16_t>((word >> 16) & 0xFF),
                                                           static_cast<uint16_t>((word >> 8) & 0xFF),
                                                           static_cast<uint16_t>(word & 0xFF)});
  return encode_png(width, height, PngFormat{}, samples);
}

std::vector<uint8_t> encode_jpeg(uint32_t width, uint32_t height, const JpegFormat& format,
                                 const std::vector<uint8_t>& samples) {
  if (samples.size() != static_cast<size_t>(width) * height * channels_of(format.samples)) {
    throw std::invalid_argument("encode_jpeg: wrong number of samples");
  }
  std::vector<uint8_t> jpeg;
  const Result<void> written = jpeg_write(&jpeg, format, width, height, rows_of(samples, height).data());
  if (!written) throw std::runtime_error("JPEG fixture: " + written.error());
  return jpeg;
}

JpegFormat faithful_jpeg(JpegKind kind) {
  JpegFormat format{.quality = 100, .full_chroma = true};
  switch (kind) {
    case JpegKind::ycbcr: break;
    case JpegKind::rgb: format.storage = JpegStorage::rgb; break;
    case JpegKind::grey: format.samples = JpegSamples::grey; break;
    case JpegKind::cmyk: format.samples = JpegSamples::cmyk; break;
    case JpegKind::ycck: format.samples = JpegSamples::cmyk, format.storage = JpegStorage::ycck; break;
  }
  return format;
}

std::vector<uint8_t> png_picture(int32_t width, int32_t height) {
  const std::vector<uint8_t> rgb = pattern_rgb(width, height);
  std::vector<uint8_t> png;
  const Result<void> written = png_write(&png, PngFormat{}, width, height, rows_of(rgb, height).data());
  if (!written) throw std::runtime_error("PNG fixture: " + written.error());
  return png;
}

std::vector<uint8_t> jpeg_picture(int32_t width, int32_t height) {
  return encode_jpeg(width, height, JpegFormat{.quality = 90}, pattern_rgb(width, height));
}

std::vector<uint8_t> zero_png(uint32_t width, uint32_t height, uint32_t extra_rows) {
  std::vector<uint8_t> out = png_head(width, height, 0);
  // Deflated row by row so that the raw rows never sit in memory at once.
  z_stream z{};
  if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK) throw std::runtime_error("deflateInit failed");
  const std::vector<uint8_t> row(static_cast<size_t>(width) + 1, 0);  // filter byte 0, then samples
  std::vector<uint8_t> idat;
  std::vector<uint8_t> buffer(1 << 16);
  const uint64_t rows = static_cast<uint64_t>(height) + extra_rows;
  for (uint64_t y = 0; y <= rows; ++y) {
    const bool last = y == rows;
    z.next_in = const_cast<Bytef*>(row.data());
    z.avail_in = last ? 0 : static_cast<uInt>(row.size());
    int result;
    do {
      z.next_out = buffer.data();
      z.avail_out = static_cast<uInt>(buffer.size());
      result = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      idat.insert(idat.end(), buffer.data(), buffer.data() + (buffer.size() - z.avail_out));
    } while (z.avail_out == 0 || (last && result != Z_STREAM_END));
  }
  deflateEnd(&z);
  put_chunk(out, "IDAT", idat);
  put_chunk(out, "IEND", {});
  return out;
}

std::vector<uint8_t> png_claiming(uint32_t width, uint32_t height) {
  std::vector<uint8_t> out = png_head(width, height, 6);  // 8-bit RGBA
  put_chunk(out, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});  // an empty zlib stream
  put_chunk(out, "IEND", {});
  return out;
}

size_t jpeg_frame_header(const std::vector<uint8_t>& jpeg) {
  for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC1 || jpeg[i + 1] == 0xC2)) return i;
  }
  throw std::invalid_argument("no JPEG frame header");
}

std::vector<uint8_t> jpeg_claiming(uint16_t width, uint16_t height) {
  std::vector<uint8_t> bytes = jpeg_picture(8, 8);
  const size_t at = jpeg_frame_header(bytes);
  bytes[at + 5] = static_cast<uint8_t>(height >> 8);
  bytes[at + 6] = static_cast<uint8_t>(height);
  bytes[at + 7] = static_cast<uint8_t>(width >> 8);
  bytes[at + 8] = static_cast<uint8_t>(width);
  return bytes;
}
