// Writing canvases as files the show's decoder reads back, and the text
// fitting the word pictures rely on.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "pictures/canvas.h"
#include "image/image.h"
#include "image/picture_load.h"
#include "output_file.h"
#include "pictures/picture_io.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "pictures/text.h"

namespace {

namespace fs = std::filesystem;
using assets::Canvas;

class PictureFiles : public ::testing::Test {
 protected:
  ScratchDir scratch_;
  fs::path dir_ = scratch_.path();
};

Canvas test_card() {
  Canvas c(7, 5, assets::rgb(0x102030), 1.0f);
  float* p = c.at(3, 2);
  p[0] = 1.0f;  // red 255
  p[1] = 0.5f;  // green 128 (127.5 rounds up)
  p[2] = 0.0f;
  c.at(6, 4)[3] = 0.0f;   // fully transparent, colour kept
  c.at(0, 0)[3] = 0.25f;  // partly transparent
  return c;
}

TEST_F(PictureFiles, PngKeepsStraightColourAndAlpha) {
  const std::string path = (dir_ / "card.png").string();
  ASSERT_TRUE(assets::write_png(path, test_card(), true));
  PictureResult loaded = picture_load(path.c_str());
  ASSERT_TRUE(loaded.ok()) << loaded.reason;
  const Image* img = &loaded.image;
  ASSERT_EQ(img->width, 7);
  ASSERT_EQ(img->height, 5);
  EXPECT_EQ(img->pixels[2 * 7 + 3], 0xFFFF8000u);
  EXPECT_EQ(img->pixels[4 * 7 + 6], 0x00102030u);  // not premultiplied
  EXPECT_EQ(img->pixels[0], 0x40102030u);
  EXPECT_EQ(img->pixels[1], 0xFF102030u);
}

TEST_F(PictureFiles, RgbPngAndJpegAreOpaque) {
  const std::string png = (dir_ / "card_rgb.png").string(), jpg = (dir_ / "card.jpg").string();
  ASSERT_TRUE(assets::write_png(png, test_card(), false));
  ASSERT_TRUE(assets::write_jpeg(jpg, Canvas(16, 16, assets::rgb(0x3060c0)), 90));
  const PictureResult a = picture_load(png.c_str()), b = picture_load(jpg.c_str());
  ASSERT_TRUE(a.ok() && b.ok());
  EXPECT_EQ(a.image.pixels[4 * 7 + 6], 0xFF102030u);
  const uint32_t p = b.image.pixels[8 * 16 + 8];
  EXPECT_EQ(p >> 24, 0xFFu);
  EXPECT_NEAR(static_cast<int>((p >> 16) & 255), 0x30, 3);
  EXPECT_NEAR(static_cast<int>((p >> 8) & 255), 0x60, 3);
  EXPECT_NEAR(static_cast<int>(p & 255), 0xC0, 3);
}

TEST_F(PictureFiles, UnwritablePathFailsWithReasonAndLeavesNothing) {
  const std::string path = (dir_ / "missing" / "card.png").string();
  const Result<void> png = assets::write_png(path, test_card(), true);
  ASSERT_FALSE(png);
  EXPECT_NE(png.error().find(path), std::string::npos) << png.error();
  EXPECT_EQ(png.error().find('\n'), std::string::npos);
  EXPECT_FALSE(assets::write_jpeg(path, test_card(), 90));
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(PictureFiles, RewritingReplacesTheFileWithoutLeftovers) {
  const std::string path = (dir_ / "card.png").string();
  ASSERT_TRUE(assets::write_png(path, Canvas(3, 3), false));
  ASSERT_TRUE(assets::write_png(path, test_card(), true));
  const PictureResult loaded = picture_load(path.c_str());
  ASSERT_TRUE(loaded.ok());
  EXPECT_EQ(loaded.image.width, 7);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1);
}

// A link someone put at an output's name, or at its temporary name, leading
// out of the folder: the generator replaces it with its file and never
// writes into what it leads to.
TEST_F(PictureFiles, PlantedLinksAreReplacedNeverWrittenThrough) {
  const std::string path = (dir_ / "card.png").string();
  const struct {
    const char* writer;
    std::string planted;  // where the link is
  } rows[] = {
      {"png", path},
      {"jpeg", path},
      {"png", temporary_name(path, false)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.writer) + " with a link at " + row.planted);
    ScratchDir outside;
    const fs::path victim = fs::path(outside.path()) / "victim";
    write_file(victim, {'k', 'e', 'e', 'p'});
    fs::remove(row.planted);
    fs::create_symlink(victim, row.planted);
    const Result<void> written = row.writer == std::string("png") ? assets::write_png(path, test_card(), true)
                                                                  : assets::write_jpeg(path, test_card(), 90);
    ASSERT_TRUE(written) << written.error();
    EXPECT_TRUE(read_file(victim) == std::vector<uint8_t>({'k', 'e', 'e', 'p'}));
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_TRUE(picture_load(path.c_str()).ok());
    fs::remove(row.planted);
    fs::remove(path);
  }
}

TEST(TextFitting, UsesTheBoxWithoutLeavingIt) {
  const Result<std::unique_ptr<assets::Font>> opened = assets::Font::open(assets::FontStyle::sans_bold);
  ASSERT_TRUE(opened) << opened.error();
  const std::unique_ptr<assets::Font>& font = *opened;
  for (auto [w, h] : {std::pair{200, 40}, {60, 30}, {400, 110}}) {
    const assets::TextMask m = font->fit("technology", w, h);
    ASSERT_GT(m.width, 0);
    EXPECT_LE(m.width, w);
    EXPECT_LE(m.height, h);
    // The next size up would not fit: one side is nearly full.
    EXPECT_TRUE(m.width > w * 0.85 || m.height > h * 0.8) << w << "x" << h << " got " << m.width << "x" << m.height;
  }
  // Too small a box gives nothing rather than an oversized rendering.
  EXPECT_EQ(font->fit("technology", 5, 24).width, 0);
}

TEST(TextFitting, BaselineSitsUnderTheLettersAndAboveDescenders) {
  const Result<std::unique_ptr<assets::Font>> opened = assets::Font::open(assets::FontStyle::sans_bold);
  ASSERT_TRUE(opened) << opened.error();
  const std::unique_ptr<assets::Font>& font = *opened;
  const assets::TextMask upper = font->render("HE", 30), lower = font->render("gy", 30);
  EXPECT_EQ(upper.baseline, upper.height);   // nothing below the baseline
  EXPECT_LT(lower.baseline, lower.height);   // descenders reach below it
}

}  // namespace
