#include "picture_files.h"

#include <png.h>
#include <stdlib.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include <jpeglib.h>

namespace fs = std::filesystem;

std::string testdata_dir() {
  const fs::path dir = fs::path(SAVA_SOURCE_DIR) / ".." / "shared" / "testdata";
  std::error_code error;
  return fs::is_directory(dir, error) ? dir.lexically_normal().string() : std::string();
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "sava-image-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  if (!path_.empty()) fs::remove_all(path_, error);
}

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::vector<uint8_t> pack_row(const uint16_t* samples, std::size_t count, int bit_depth) {
  std::vector<uint8_t> row;
  if (bit_depth == 16) {
    for (std::size_t i = 0; i < count; ++i) {
      row.push_back(static_cast<uint8_t>(samples[i] >> 8));
      row.push_back(static_cast<uint8_t>(samples[i]));
    }
  } else if (bit_depth == 8) {
    for (std::size_t i = 0; i < count; ++i) row.push_back(static_cast<uint8_t>(samples[i]));
  } else {
    // Samples of 1, 2 or 4 bits, the first in the most significant bits.
    const int per_byte = 8 / bit_depth;
    row.assign((count + per_byte - 1) / per_byte, 0);
    for (std::size_t i = 0; i < count; ++i) {
      const int shift = 8 - bit_depth * (static_cast<int>(i % per_byte) + 1);
      row[i / per_byte] |= static_cast<uint8_t>(samples[i] << shift);
    }
  }
  return row;
}

int channels_of(int color_type) {
  switch (color_type) {
    case 0: case 3: return 1;
    case 4: return 2;
    case 2: return 3;
    default: return 4;
  }
}

// libpng's errors jump back here; the frame holds only plain values.
bool png_write_rows(png_structp png, png_infop info, std::FILE* file, uint32_t width,
                    uint32_t height, const PngLayout* layout, png_bytep* rows, png_colorp palette,
                    png_color_16* trns) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, layout->bit_depth, layout->color_type,
               layout->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (layout->color_type == 3) png_set_PLTE(png, info, palette, static_cast<int>(layout->palette.size()));
  if (!layout->trns_alpha.empty()) {
    png_set_tRNS(png, info, layout->trns_alpha.data(), static_cast<int>(layout->trns_alpha.size()),
                 nullptr);
  } else if (layout->trns_color) {
    png_set_tRNS(png, info, nullptr, 0, trns);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  return true;
}

}  // namespace

bool write_png(const std::string& path, uint32_t width, uint32_t height, const PngLayout& layout,
               const std::vector<uint16_t>& samples) {
  const std::size_t per_row = static_cast<std::size_t>(width) * channels_of(layout.color_type);
  if (samples.size() != per_row * height) return false;
  std::vector<std::vector<uint8_t>> packed;
  std::vector<png_bytep> rows;
  for (uint32_t y = 0; y < height; ++y) packed.push_back(pack_row(&samples[y * per_row], per_row, layout.bit_depth));
  for (auto& row : packed) rows.push_back(row.data());
  std::vector<png_color> palette;
  for (const PngColor& c : layout.palette) palette.push_back(png_color{c.r, c.g, c.b});
  png_color_16 trns{};
  if (layout.trns_color) {
    const auto& v = *layout.trns_color;
    if (v.size() == 1) trns.gray = v[0];
    if (v.size() == 3) trns.red = v[0], trns.green = v[1], trns.blue = v[2];
  }

  FileHandle file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool ok = info != nullptr && png_write_rows(png, info, file.get(), width, height, &layout,
                                                    rows.data(), palette.data(), &trns);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return ok;
}

bool write_rgb_png(const std::string& path, uint32_t width, uint32_t height,
                   const std::vector<uint32_t>& rgb) {
  std::vector<uint16_t> samples;
  for (uint32_t word : rgb) {
    samples.push_back((word >> 16) & 0xFF);
    samples.push_back((word >> 8) & 0xFF);
    samples.push_back(word & 0xFF);
  }
  return write_png(path, width, height, PngLayout{}, samples);
}

namespace {

struct JpegWriteError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void on_write_error(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegWriteError*>(cinfo->err)->jump, 1);
}

bool jpeg_write_rows(jpeg_compress_struct* cinfo, std::FILE* file, uint32_t width,
                     uint32_t height, JpegKind kind, const uint8_t* samples, int quality) {
  if (setjmp(reinterpret_cast<JpegWriteError*>(cinfo->err)->jump)) return false;
  jpeg_create_compress(cinfo);
  jpeg_stdio_dest(cinfo, file);
  cinfo->image_width = width;
  cinfo->image_height = height;
  switch (kind) {
    case JpegKind::ycbcr: case JpegKind::rgb:
      cinfo->input_components = 3; cinfo->in_color_space = JCS_RGB; break;
    case JpegKind::grey:
      cinfo->input_components = 1; cinfo->in_color_space = JCS_GRAYSCALE; break;
    case JpegKind::cmyk: case JpegKind::ycck:
      cinfo->input_components = 4; cinfo->in_color_space = JCS_CMYK; break;
  }
  jpeg_set_defaults(cinfo);
  if (kind == JpegKind::rgb) jpeg_set_colorspace(cinfo, JCS_RGB);
  if (kind == JpegKind::ycck) jpeg_set_colorspace(cinfo, JCS_YCCK);
  jpeg_set_quality(cinfo, quality, TRUE);
  for (int c = 0; c < cinfo->num_components; ++c) {
    cinfo->comp_info[c].h_samp_factor = 1;
    cinfo->comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * cinfo->input_components;
  while (cinfo->next_scanline < height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples + cinfo->next_scanline * stride);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

bool write_jpeg(const std::string& path, uint32_t width, uint32_t height, JpegKind kind,
                const std::vector<uint8_t>& samples, int quality) {
  const std::size_t components = kind == JpegKind::grey ? 1 : (kind == JpegKind::cmyk || kind == JpegKind::ycck) ? 4 : 3;
  if (samples.size() != components * width * height) return false;
  FileHandle file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  auto cinfo = std::make_unique<jpeg_compress_struct>();
  auto err = std::make_unique<JpegWriteError>();
  cinfo->err = jpeg_std_error(&err->pub);
  err->pub.error_exit = on_write_error;
  const bool ok = jpeg_write_rows(cinfo.get(), file.get(), width, height, kind, samples.data(), quality);
  jpeg_destroy_compress(cinfo.get());
  return ok;
}

namespace {

uint32_t crc32_of(const uint8_t* data, std::size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void put_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  put32(out, static_cast<uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, crc32_of(&out[start], out.size() - start));
}

}  // namespace

std::vector<uint8_t> png_header_only(uint32_t width, uint32_t height) {
  std::vector<uint8_t> out = {137, 80, 78, 71, 13, 10, 26, 10};
  std::vector<uint8_t> ihdr;
  put32(ihdr, width);
  put32(ihdr, height);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, not interlaced
  put_chunk(out, "IHDR", ihdr);
  put_chunk(out, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});  // empty zlib stream
  put_chunk(out, "IEND", {});
  return out;
}

std::vector<uint8_t> jpeg_claiming_size(uint16_t width, uint16_t height) {
  TempDir dir;
  const std::string path = dir.file("small.jpg");
  if (!write_jpeg(path, 8, 8, JpegKind::ycbcr, std::vector<uint8_t>(8 * 8 * 3, 100))) return {};
  std::vector<uint8_t> bytes = read_file(path);
  for (std::size_t i = 0; i + 9 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {  // SOF0: length, precision, height, width
      bytes[i + 5] = static_cast<uint8_t>(height >> 8);
      bytes[i + 6] = static_cast<uint8_t>(height);
      bytes[i + 7] = static_cast<uint8_t>(width >> 8);
      bytes[i + 8] = static_cast<uint8_t>(width);
      return bytes;
    }
  }
  return {};
}

std::vector<uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}
