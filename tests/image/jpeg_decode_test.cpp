// JPEG decoding: the IJG test pictures, refused files, and hand-written files
// whose colours survive compression exactly.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "image/picture_load.h"
#include "image/pixel_block.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"

namespace {

// The outcome of the last load() but its picture, for the checks of a refusal.
PictureResult last;

ImagePtr load(const std::string& path) {
  last = picture_load(path.c_str());
  return last.ok() ? std::make_unique<Image>(std::move(last.image)) : nullptr;
}

std::string jpeg_testdata(const char* name) { return testdata_path() + "/jpeg/" + name; }

// A binary PPM (P6, maxval 255) as 0xRRGGBB words.
bool read_ppm(const std::string& path, int* width, int* height, std::vector<uint32_t>* rgb) {
  const std::vector<uint8_t> bytes = read_file(path);
  std::string text(bytes.begin(), bytes.end());
  std::istringstream in(text);
  std::string magic;
  int maxval = 0;
  in >> magic >> *width >> *height >> maxval;
  if (magic != "P6" || maxval != 255 || *width <= 0 || *height <= 0) return false;
  const std::size_t start = static_cast<std::size_t>(in.tellg()) + 1;  // one whitespace byte
  const std::size_t count = static_cast<std::size_t>(*width) * *height;
  if (bytes.size() < start + 3 * count) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const uint8_t* p = &bytes[start + 3 * i];
    rgb->push_back(uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]);
  }
  return true;
}

double mean_channel_error(const Image& image, const std::vector<uint32_t>& rgb) {
  long long total = 0;
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      total += std::abs(static_cast<int>((image.pixels[i] >> shift) & 0xFF) -
                        static_cast<int>((rgb[i] >> shift) & 0xFF));
    }
  }
  return static_cast<double>(total) / (3.0 * rgb.size());
}

TEST(JpegTestdata, BaselineAndArithmeticFilesAreCloseToTheOriginal) {
  SKIP_WITHOUT_TEST_PICTURES("jpeg");
  int width = 0, height = 0;
  std::vector<uint32_t> original;
  ASSERT_TRUE(read_ppm(jpeg_testdata("testorig.ppm"), &width, &height, &original));
  for (const char* name : {"testorig.jpg", "testimgint.jpg", "testimgari.jpg"}) {
    SCOPED_TRACE(name);
    ImagePtr image = load(jpeg_testdata(name));
    ASSERT_NE(image, nullptr) << last.reason;
    ASSERT_EQ(image->width, 227);
    ASSERT_EQ(image->height, 149);
    ASSERT_EQ(width, 227);
    ASSERT_EQ(height, 149);
    bool opaque = true;
    for (int i = 0; i < 227 * 149; ++i) opaque = opaque && (image->pixels[i] >> 24) == 0xFF;
    EXPECT_TRUE(opaque);
    EXPECT_LT(mean_channel_error(*image, original), 4.0);
  }
}

TEST(JpegTestdata, TwelveBitAndBrokenCopiesAreRefused) {
  SKIP_WITHOUT_TEST_PICTURES("jpeg");
  EXPECT_EQ(load(jpeg_testdata("monkey12.jpg")), nullptr);
  EXPECT_NE(last.reason, "");

  ScratchDir dir;
  const std::vector<uint8_t> good = read_file(jpeg_testdata("testorig.jpg"));
  ASSERT_GT(good.size(), 1000u);
  // Cut inside the scan data, inside the headers, and right after SOI.
  for (std::size_t keep : {good.size() / 2, std::size_t{300}, std::size_t{2}}) {
    SCOPED_TRACE(keep);
    write_file(dir.file("cut.jpg"), std::vector<uint8_t>(good.begin(), good.begin() + keep));
    EXPECT_EQ(load(dir.file("cut.jpg")), nullptr);
    EXPECT_NE(last.reason, "");
  }
  // A frame header claiming 0 components.
  std::vector<uint8_t> damaged = good;
  for (std::size_t i = 0; i + 9 < damaged.size(); ++i) {
    if (damaged[i] == 0xFF && damaged[i + 1] == 0xC0) {
      damaged[i + 9] = 0;
      break;
    }
  }
  write_file(dir.file("damaged.jpg"), damaged);
  EXPECT_EQ(load(dir.file("damaged.jpg")), nullptr);
}

TEST(JpegDecode, RgbPixelGivesTheSameWordAsInAPng) {
  ScratchDir dir;
  // Eight flat 8 x 8 blocks side by side: without subsampling and at quality
  // 100 in the RGB colour space each block survives exactly, so every pixel
  // of a row, wherever it lies, must come out with its own colour.
  const uint32_t colours[8] = {0x123456, 0xFEDCBA, 0xFF0000, 0x00FF00,
                               0x0000FF, 0x80FF01, 0x000000, 0xFFFFFF};
  std::vector<uint8_t> samples;
  std::vector<uint32_t> rgb;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint32_t c = colours[x / 8];
      samples.insert(samples.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
      rgb.push_back(c);
    }
  }
  write_file(dir.file("blocks.jpg"), encode_jpeg(64, 8, faithful_jpeg(JpegKind::rgb), samples));
  write_file(dir.file("blocks.png"), encode_rgb_png(64, 8, rgb));
  ImagePtr jpeg = load(dir.file("blocks.jpg"));
  ImagePtr png = load(dir.file("blocks.png"));
  ASSERT_NE(jpeg, nullptr) << last.reason;
  ASSERT_NE(png, nullptr);
  for (int i = 0; i < 64 * 8; ++i) {
    ASSERT_EQ(jpeg->pixels[i], 0xFF000000u | rgb[i]) << "pixel " << i;
    ASSERT_EQ(png->pixels[i], jpeg->pixels[i]) << "pixel " << i;
  }

  // The usual YCbCr file: the colour conversion may round a channel by one.
  write_file(dir.file("ycc.jpg"), encode_jpeg(64, 8, faithful_jpeg(JpegKind::ycbcr), samples));
  ImagePtr ycc = load(dir.file("ycc.jpg"));
  ASSERT_NE(ycc, nullptr);
  for (int i = 0; i < 64 * 8; ++i) {
    EXPECT_EQ(ycc->pixels[i] >> 24, 0xFFu);
    for (int shift : {0, 8, 16}) {
      ASSERT_LE(std::abs(int((ycc->pixels[i] >> shift) & 0xFF) - int((rgb[i] >> shift) & 0xFF)), 1)
          << "pixel " << i;
    }
  }
}

TEST(JpegDecode, GreyCmykAndYcckBecomeOpaqueRgbWords) {
  ScratchDir dir;
  write_file(dir.file("grey.jpg"), encode_jpeg(8, 8, faithful_jpeg(JpegKind::grey), std::vector<uint8_t>(64, 0x5A)));
  ImagePtr grey = load(dir.file("grey.jpg"));
  ASSERT_NE(grey, nullptr) << last.reason;
  EXPECT_EQ(grey->pixels[0], 0xFF5A5A5Au);
  EXPECT_EQ(grey->pixels[63], 0xFF5A5A5Au);

  // Inverted CMYK as Adobe writes it: 255 is no ink. Full K (stored 255)
  // leaves the colour inks; a stored K of 0 is black.
  struct Case {
    uint8_t c, m, y, k;
    uint32_t expected;
  };
  for (const Case& t : {Case{255, 128, 0, 255, 0xFFFF8000u}, Case{255, 255, 255, 0, 0xFF000000u},
                        Case{200, 100, 255, 255, 0xFFC864FFu}}) {
    for (JpegKind kind : {JpegKind::cmyk, JpegKind::ycck}) {
      SCOPED_TRACE(testing::Message() << int(kind) << " " << std::hex << t.expected);
      std::vector<uint8_t> samples;
      for (int i = 0; i < 64; ++i) samples.insert(samples.end(), {t.c, t.m, t.y, t.k});
      write_file(dir.file("cmyk.jpg"), encode_jpeg(8, 8, faithful_jpeg(kind), samples));
      ImagePtr image = load(dir.file("cmyk.jpg"));
      ASSERT_NE(image, nullptr) << last.reason;
      for (int shift : {0, 8, 16}) {
        EXPECT_LE(std::abs(int((image->pixels[27] >> shift) & 0xFF) - int((t.expected >> shift) & 0xFF)),
                  kind == JpegKind::cmyk ? 0 : 1);
      }
      EXPECT_EQ(image->pixels[27] >> 24, 0xFFu);
    }
  }
}

TEST(JpegDecode, FormatIsRecognisedByContentNotName) {
  ScratchDir dir;
  write_file(dir.file("words.png"), encode_jpeg(8, 8, faithful_jpeg(JpegKind::rgb), std::vector<uint8_t>(192, 0x33)));
  ImagePtr image = load(dir.file("words.png"));
  ASSERT_NE(image, nullptr) << last.reason;
  EXPECT_EQ(image->pixels[0], 0xFF333333u);
}

TEST(JpegDecode, HugeFrameHeadersAreRefusedBeforeAllocating) {
  ScratchDir dir;
  for (uint16_t side : {uint16_t{65000}, uint16_t{16385}, uint16_t{8193}}) {
    SCOPED_TRACE(side);
    write_file(dir.file("huge.jpg"), jpeg_claiming(side, side));
    EXPECT_EQ(load(dir.file("huge.jpg")), nullptr);
    EXPECT_EQ(last.failure, PictureFailure::too_large) << last.reason;
    EXPECT_NE(last.reason.find("larger than"), std::string::npos) << last.reason;
  }
}

TEST(PictureLoad, EveryFailureHasItsKindAndAReasonForTheHeaderAndTheDecodeAlike) {
  ScratchDir dir;
  write_file(dir.file("text.png"), {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
  write_file(dir.file("short.png"), {137, 80, 78, 71});
  write_file(dir.file("empty.jpg"), {});
  write_file(dir.file("huge.png"), png_claiming(16385, 1));
  write_file(dir.file("huge.jpg"), jpeg_claiming(8193, 8193));
  const struct {
    const char* name;
    PictureFailure failure;
  } cases[] = {
      {"missing.png", PictureFailure::unreadable},
      {".", PictureFailure::unreadable},  // a directory: not a regular file
      // Neither PNG nor JPEG, shorter than a PNG signature, empty: read and refused.
      {"text.png", PictureFailure::refused},
      {"short.png", PictureFailure::refused},
      {"empty.jpg", PictureFailure::refused},
      {"huge.png", PictureFailure::too_large},
      {"huge.jpg", PictureFailure::too_large},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(load(dir.file(c.name)), nullptr);
    EXPECT_EQ(last.failure, c.failure) << last.reason;
    EXPECT_NE(last.reason, "");
    const PictureHeader header = picture_read_size(dir.file(c.name).c_str());
    EXPECT_EQ(header.failure, c.failure) << header.reason;
    EXPECT_NE(header.reason, "");
  }
  EXPECT_EQ(load(dir.file("missing.png")), nullptr);
  EXPECT_EQ(last.reason, "No such file or directory");
  EXPECT_EQ(picture_load(nullptr).failure, PictureFailure::unreadable);

  write_file(dir.file("ok.png"), encode_rgb_png(3, 2, {0, 0, 0, 0, 0, 0}));
  EXPECT_NE(load(dir.file("ok.png")), nullptr);
  EXPECT_TRUE(last.ok());
  EXPECT_EQ(last.reason, "");
  const PictureHeader header = picture_read_size(dir.file("ok.png").c_str());
  EXPECT_TRUE(header.ok()) << header.reason;
  EXPECT_EQ(header.pixels(), 6u);
}

// The context's place is taken by a picture of exactly its number of pixels
// (sharing the block the place lies in, or viewing pixels owned elsewhere),
// and left alone by any other, which gets pixels of its own.
TEST(PictureLoad, APlaceIsTakenOnlyByAPictureOfItsSize) {
  ScratchDir dir;
  write_file(dir.file("ok.png"), encode_rgb_png(3, 2, {1, 2, 3, 4, 5, 6}));
  std::vector<uint32_t> elsewhere(6, 0);
  for (const bool in_block : {false, true}) {
    for (const uint64_t words : {6u, 5u, 7u}) {
      SCOPED_TRACE(std::to_string(words) + (in_block ? " in a block" : ""));
      auto block = in_block ? std::make_shared<const PixelBlock>(6) : nullptr;
      uint32_t* place = in_block ? block->data() : elsewhere.data();
      std::fill_n(place, 6, 0u);
      const PictureResult got = picture_load(dir.file("ok.png").c_str(), {.stop = {}, .block = block, .place = place, .place_words = words});
      block.reset();  // a picture in the block keeps it
      ASSERT_TRUE(got.ok()) << got.reason;
      EXPECT_EQ(got.image.pixels == place, words == 6);
      EXPECT_EQ(got.image.shares_block(), in_block && words == 6);
      EXPECT_EQ(got.image.owns_pixels(), words != 6);
      EXPECT_EQ(got.image.pixels[5], 0xFF000006u);
      if (!in_block) {
        EXPECT_EQ(place[5], words == 6 ? 0xFF000006u : 0u);
      }
    }
  }
}

}  // namespace
