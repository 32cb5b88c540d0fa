// Test fixtures for picture decoding: writers for small PNG and JPEG files,
// hand-made headers, a temporary directory, and the location of the
// third-party test pictures.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// ../shared/testdata beside the source tree; empty when the folder is absent.
std::string testdata_dir();

// A fresh directory under the system's temporary folder, removed with its
// contents on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct PngColor {
  uint8_t r, g, b;
};

struct PngLayout {
  int color_type = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
  int bit_depth = 8;
  bool interlaced = false;
  std::vector<PngColor> palette;   // colour type 3
  std::vector<uint8_t> trns_alpha;  // colour type 3: alpha of the first entries
  std::optional<std::vector<uint16_t>> trns_color;  // grey: {g}; RGB: {r, g, b}
};

// Writes a PNG whose samples (channels per pixel times width times height,
// row by row, each at most 2^bit_depth - 1) are given one value per sample.
bool write_png(const std::string& path, uint32_t width, uint32_t height, const PngLayout& layout,
               const std::vector<uint16_t>& samples);

// Writes an 8-bit RGB PNG from 0xRRGGBB words.
bool write_rgb_png(const std::string& path, uint32_t width, uint32_t height,
                   const std::vector<uint32_t>& rgb);

enum class JpegKind { ycbcr, rgb, grey, cmyk, ycck };

// Writes a JPEG at the given quality without chroma subsampling. Samples per
// pixel: 3 (r, g, b) for ycbcr and rgb, 1 for grey, 4 (c, m, y, k as stored)
// for cmyk and ycck.
bool write_jpeg(const std::string& path, uint32_t width, uint32_t height, JpegKind kind,
                const std::vector<uint8_t>& samples, int quality = 100);

// A PNG holding only a signature, an IHDR of the given size (valid CRC), a
// token IDAT and IEND: enough for a reader to learn the size.
std::vector<uint8_t> png_header_only(uint32_t width, uint32_t height);

// A real 8 x 8 baseline JPEG whose frame header (SOF0) has been changed to
// claim the given size; its scan data is far too short for that size.
std::vector<uint8_t> jpeg_claiming_size(uint16_t width, uint16_t height);

std::vector<uint8_t> read_file(const std::string& path);
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);
