// PNG decoding: the PngSuite against an independent reading of the raw
// samples, corrupt files, and hand-written files for the exact pixel rules.

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/file_handle.h"
#include "image/picture_load.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// The outcome of the last load() but its picture, for the checks of a refusal.
PictureResult last;

ImagePtr load(const std::string& path) {
  last = picture_load(path.c_str());
  return last.ok() ? std::make_unique<Image>(std::move(last.image)) : nullptr;
}

// The reference: libpng delivers the file's raw samples (only unpacked to a
// byte each), and the words are built here from the PNG rules themselves:
// palette lookup, tRNS alpha, grey scaled from n bits by 255 / (2^n - 1),
// 16-bit samples cut to their high byte.
struct Reference {
  uint32_t width = 0;
  uint32_t height = 0;
  int color_type = 0;
  std::vector<uint32_t> words;
};

struct RawPng {
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_uint_32 width = 0, height = 0;
  int depth = 0, type = 0;  // as in the file, before unpacking
};

// The two libpng stages, each under its own setjmp in a frame without
// objects that need destructors.
bool read_raw_header(RawPng* raw, std::FILE* file) {
  if (setjmp(png_jmpbuf(raw->png))) return false;
  png_init_io(raw->png, file);
  png_read_info(raw->png, raw->info);
  png_get_IHDR(raw->png, raw->info, &raw->width, &raw->height, &raw->depth, &raw->type, nullptr,
               nullptr, nullptr);
  png_set_packing(raw->png);
  png_set_interlace_handling(raw->png);
  png_read_update_info(raw->png, raw->info);
  return true;
}

bool read_raw_rows(RawPng* raw, png_bytepp rows) {
  if (setjmp(png_jmpbuf(raw->png))) return false;
  png_read_image(raw->png, rows);
  png_read_end(raw->png, nullptr);
  return true;
}

bool reference_decode(const std::string& path, Reference* out) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  RawPng raw;
  raw.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  raw.info = png_create_info_struct(raw.png);
  std::vector<std::vector<png_byte>> rows;
  std::vector<png_bytep> pointers;
  bool ok = read_raw_header(&raw, file.get());
  if (ok) {
    rows.assign(raw.height, std::vector<png_byte>(png_get_rowbytes(raw.png, raw.info)));
    for (auto& row : rows) pointers.push_back(row.data());
    ok = read_raw_rows(&raw, pointers.data());
  }
  if (ok) {
    const png_uint_32 w = raw.width, h = raw.height;
    const int depth = raw.depth, type = raw.type;
    png_colorp palette = nullptr;
    int palette_size = 0;
    png_get_PLTE(raw.png, raw.info, &palette, &palette_size);
    png_bytep trns_alpha = nullptr;
    int trns_count = 0;
    png_color_16p trns_color = nullptr;
    const bool has_trns =
        png_get_tRNS(raw.png, raw.info, &trns_alpha, &trns_count, &trns_color) != 0;

    const int bytes = depth == 16 ? 2 : 1;
    auto sample = [&](const std::vector<png_byte>& row, std::size_t i) -> uint32_t {
      return bytes == 2 ? (row[2 * i] << 8 | row[2 * i + 1]) : row[i];
    };
    auto to8 = [&](uint32_t v) -> uint32_t { return depth == 16 ? v >> 8 : v * 255 / ((1u << depth) - 1); };

    out->width = w;
    out->height = h;
    out->color_type = type;
    for (png_uint_32 y = 0; y < h; ++y) {
      for (png_uint_32 x = 0; x < w; ++x) {
        uint32_t r = 0, g = 0, b = 0, a = 255;
        if (type == PNG_COLOR_TYPE_PALETTE) {
          const uint32_t index = rows[y][x];
          if (static_cast<int>(index) < palette_size) {
            r = palette[index].red, g = palette[index].green, b = palette[index].blue;
          }
          if (has_trns && static_cast<int>(index) < trns_count) a = trns_alpha[index];
        } else if (type == PNG_COLOR_TYPE_GRAY) {
          const uint32_t v = sample(rows[y], x);
          r = g = b = to8(v);
          if (has_trns && v == trns_color->gray) a = 0;
        } else if (type == PNG_COLOR_TYPE_GRAY_ALPHA) {
          r = g = b = to8(sample(rows[y], 2 * x));
          a = to8(sample(rows[y], 2 * x + 1));
        } else if (type == PNG_COLOR_TYPE_RGB) {
          const uint32_t vr = sample(rows[y], 3 * x), vg = sample(rows[y], 3 * x + 1),
                         vb = sample(rows[y], 3 * x + 2);
          r = to8(vr), g = to8(vg), b = to8(vb);
          if (has_trns && vr == trns_color->red && vg == trns_color->green && vb == trns_color->blue) a = 0;
        } else {
          r = to8(sample(rows[y], 4 * x));
          g = to8(sample(rows[y], 4 * x + 1));
          b = to8(sample(rows[y], 4 * x + 2));
          a = to8(sample(rows[y], 4 * x + 3));
        }
        out->words.push_back(a << 24 | r << 16 | g << 8 | b);
      }
    }
  }
  png_destroy_read_struct(&raw.png, &raw.info, nullptr);
  return ok;
}

std::vector<fs::path> pngsuite_files() {
  std::vector<fs::path> files;
  const std::string dir = testdata_path();
  if (dir.empty()) return files;
  for (const auto& entry : fs::directory_iterator(fs::path(dir) / "pngsuite")) {
    if (entry.path().extension() == ".png") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(PngSuite, EveryValidFileDecodesToTheColoursItShows) {
  SKIP_WITHOUT_TEST_PICTURES("pngsuite");
  int decoded = 0;
  for (const fs::path& path : pngsuite_files()) {
    const std::string name = path.filename().string();
    if (name[0] == 'x') continue;
    SCOPED_TRACE(name);
    Reference expected;
    ASSERT_TRUE(reference_decode(path.string(), &expected));
    ImagePtr image = load(path.string());
    ASSERT_NE(image, nullptr) << last.reason;
    ASSERT_EQ(static_cast<uint32_t>(image->width), expected.width);
    ASSERT_EQ(static_cast<uint32_t>(image->height), expected.height);
    const std::vector<uint32_t> actual(image->pixels, image->pixels + expected.words.size());
    const auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.words.begin());
    if (mismatch.first != actual.end()) {
      const auto at = mismatch.first - actual.begin();
      ADD_FAILURE() << "colour type " << expected.color_type << ": pixel (" << at % expected.width
                    << ", " << at / expected.width << ") is " << std::hex << *mismatch.first
                    << ", expected " << *mismatch.second;
    }
    ++decoded;
  }
  EXPECT_EQ(decoded, 161) << "PngSuite files decoded";
}

TEST(PngSuite, EveryCorruptFileIsRefusedWithAReason) {
  SKIP_WITHOUT_TEST_PICTURES("pngsuite");
  int refused = 0;
  for (const fs::path& path : pngsuite_files()) {
    const std::string name = path.filename().string();
    if (name[0] != 'x') continue;
    ImagePtr image = load(path.string());
    EXPECT_EQ(image, nullptr) << name;
    EXPECT_NE(last.reason, "") << name;
    ++refused;
  }
  EXPECT_EQ(refused, 14);
}

TEST(PngDecode, RgbAndRgbaFollowThePixelWordRules) {
  ScratchDir dir;
  // 8-bit RGB: alpha 255, red in bits 16-23, blue in bits 0-7.
  write_file(dir.file("rgb.png"), encode_rgb_png(3, 1, {0x102030, 0xFF0000, 0x0000FF}));
  ImagePtr rgb = load(dir.file("rgb.png"));
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(rgb->pixels[0], 0xFF102030u);
  EXPECT_EQ(rgb->pixels[1], 0xFFFF0000u);
  EXPECT_EQ(rgb->pixels[2], 0xFF0000FFu);

  // RGBA: alpha as in the file, colour bytes kept even under alpha 0.
  PngFormat rgba;
  rgba.colour = PngColour::rgba;
  write_file(dir.file("rgba.png"), encode_png(2, 1, rgba, {10, 20, 30, 0, 200, 100, 50, 128}));
  ImagePtr with_alpha = load(dir.file("rgba.png"));
  ASSERT_NE(with_alpha, nullptr);
  EXPECT_EQ(with_alpha->pixels[0], 0x000A141Eu);
  EXPECT_EQ(with_alpha->pixels[1], 0x80C86432u);

  // RGB with a tRNS colour: that colour alone gets alpha 0.
  PngFormat keyed;
  keyed.colour_key = std::vector<uint16_t>{1, 2, 3};
  write_file(dir.file("keyed.png"), encode_png(2, 1, keyed, {1, 2, 3, 1, 2, 4}));
  ImagePtr transparent = load(dir.file("keyed.png"));
  ASSERT_NE(transparent, nullptr);
  EXPECT_EQ(transparent->pixels[0], 0x00010203u);
  EXPECT_EQ(transparent->pixels[1], 0xFF010204u);
}

TEST(PngDecode, SixteenBitFilesEqualTheirHighByteReduction) {
  ScratchDir dir;
  for (PngColour colour : {PngColour::rgb, PngColour::rgba}) {
    SCOPED_TRACE(static_cast<int>(colour));
    const int channels = colour == PngColour::rgb ? 3 : 4;
    std::vector<uint16_t> wide, narrow;
    for (int i = 0; i < 5 * 4 * channels; ++i) {
      const uint16_t high = static_cast<uint16_t>((i * 37 + 11) & 0xFF);
      const uint16_t low = static_cast<uint16_t>((i * 91 + 200) & 0xFF);  // must not round up
      wide.push_back(static_cast<uint16_t>(high << 8 | low));
      narrow.push_back(high);
    }
    PngFormat layout16;
    layout16.colour = colour;
    layout16.bit_depth = 16;
    PngFormat layout8 = layout16;
    layout8.bit_depth = 8;
    write_file(dir.file("16.png"), encode_png(5, 4, layout16, wide));
    write_file(dir.file("8.png"), encode_png(5, 4, layout8, narrow));
    ImagePtr a = load(dir.file("16.png"));
    ImagePtr b = load(dir.file("8.png"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(std::equal(a->pixels, a->pixels + 20, b->pixels));
  }
}

TEST(PngDecode, FormatIsRecognisedByContentNotName) {
  ScratchDir dir;
  write_file(dir.file("photo.jpg"), encode_rgb_png(1, 1, {0xABCDEF}));
  ImagePtr image = load(dir.file("photo.jpg"));
  ASSERT_NE(image, nullptr) << last.reason;
  EXPECT_EQ(image->pixels[0], 0xFFABCDEFu);
}

TEST(PngDecode, TruncatedOrDamagedFilesAreRefused) {
  ScratchDir dir;
  std::vector<uint32_t> rgb(40 * 30);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
  write_file(dir.file("good.png"), encode_rgb_png(40, 30, rgb));
  const std::vector<uint8_t> good = read_file(dir.file("good.png"));

  // Cut in the middle of the image data, and just before IEND's end.
  for (std::size_t keep : {good.size() / 2, good.size() - 3, std::size_t{8}, std::size_t{20}}) {
    SCOPED_TRACE(keep);
    write_file(dir.file("cut.png"), std::vector<uint8_t>(good.begin(), good.begin() + keep));
    EXPECT_EQ(load(dir.file("cut.png")), nullptr);
    EXPECT_NE(last.reason, "");
  }
  // A flipped byte in the compressed data fails the chunk's CRC.
  std::vector<uint8_t> damaged = good;
  damaged[good.size() / 2] ^= 0x55;
  write_file(dir.file("damaged.png"), damaged);
  EXPECT_EQ(load(dir.file("damaged.png")), nullptr);
}

TEST(PngDecode, HugeHeadersAreRefusedBeforeAllocating) {
  ScratchDir dir;
  struct Case {
    uint32_t width, height;
  };
  for (const Case c : {Case{100000, 100000}, Case{16385, 1}, Case{1, 16385}, Case{8192, 8193},
                       Case{0x7FFFFFFF, 0x7FFFFFFF}}) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    write_file(dir.file("huge.png"), png_claiming(c.width, c.height));
    EXPECT_EQ(load(dir.file("huge.png")), nullptr);
    if (c.width > 1000000) continue;  // libpng itself already refuses such an IHDR
    // The size check itself refused it (the token IDAT would fail only
    // after the pixel array had been allocated).
    EXPECT_EQ(last.failure, PictureFailure::too_large) << last.reason;
    EXPECT_NE(last.reason.find("larger than"), std::string::npos) << last.reason;
  }
  // Within the limits, a header-only file gets as far as its image data.
  write_file(dir.file("small.png"), png_claiming(16, 16));
  EXPECT_EQ(load(dir.file("small.png")), nullptr);
  EXPECT_EQ(last.failure, PictureFailure::refused) << last.reason;
}

TEST(PngDecode, LargestSideIsAccepted) {
  ScratchDir dir;
  PngFormat grey;
  grey.colour = PngColour::grey;
  std::vector<uint16_t> row(picture_max_side, 0);
  row.back() = 0x80;
  write_file(dir.file("wide.png"), encode_png(picture_max_side, 1, grey, row));
  ImagePtr image = load(dir.file("wide.png"));
  ASSERT_NE(image, nullptr) << last.reason;
  EXPECT_EQ(image->width, 16384);
  EXPECT_EQ(image->pixels[16383], 0xFF808080u);
}

// The one size test every path asks: the edges of each limit, and sides
// whose product would not fit 64 bits.
TEST(PictureSizeVerdict, EdgesOfEachLimit) {
  const uint64_t side = picture_max_side;
  const struct {
    uint64_t width, height;
    PictureSizeVerdict verdict;
  } rows[] = {
      {1, 1, PictureSizeVerdict::accepted},
      {0, 5, PictureSizeVerdict::empty},
      {5, 0, PictureSizeVerdict::empty},
      {side, picture_max_pixels / side, PictureSizeVerdict::accepted},
      {side + 1, 1, PictureSizeVerdict::too_large},
      {1, side + 1, PictureSizeVerdict::too_large},
      {side, picture_max_pixels / side + 1, PictureSizeVerdict::too_large},
      {uint64_t{1} << 33, uint64_t{1} << 33, PictureSizeVerdict::too_large},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(picture_size_verdict(row.width, row.height), row.verdict) << row.width << " x " << row.height;
  }
}

}  // namespace
