// The generated picture pack: reproducible bytes, decodable files that meet
// the scenes' size needs, real alpha on word pictures, photographs with
// content, and sequences that change from picture to picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "pictures/catalogue.h"
#include "image/image.h"
#include "show/show_files.h"
#include "image/picture_load.h"
#include "pictures/picture_layout.h"
#include "show/picture_size_check.h"
#include "support/child_process.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// The pictures as the build generated them into its data/, with the
// program's own number of threads.
std::string generated(int index) { return std::string(SAVA_BINARY_DIR) + "/" + picture_paths[index]; }

class PicturePack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (int i = 0; i < picture_count; ++i) {
      PictureResult loaded = picture_load(generated(i).c_str());
      reasons_.push_back(loaded.reason);
      pictures_.push_back(std::move(loaded.image));
    }
  }
  static void TearDownTestSuite() {
    pictures_.clear();
    reasons_.clear();
  }

  // Null for a picture that was not decoded.
  static const Image* picture(int index) { return pictures_[index].pixels != nullptr ? &pictures_[index] : nullptr; }

  static std::vector<Image> pictures_;
  static std::vector<std::string> reasons_;  // why a picture was not decoded
};

std::vector<Image> PicturePack::pictures_;
std::vector<std::string> PicturePack::reasons_;

uint8_t alpha(uint32_t p) { return p >> 24; }
float luma(uint32_t p) {
  return 0.3f * ((p >> 16) & 255) + 0.59f * ((p >> 8) & 255) + 0.11f * (p & 255);
}

bool is_word(int index) { return assets::picture_recipe(index).make == assets::make_word; }

TEST_F(PicturePack, ThreadingDoesNotChangeTheBytes) {
  // Generated again by the library with three workers.
  ScratchDir dir;
  fs::create_directories(dir.file("data"));
  const Result<void> generated_again = assets::generate_pictures(dir.path(), 3);
  ASSERT_TRUE(generated_again) << generated_again.error();
  for (int i = 0; i < picture_count; ++i) {
    const std::vector<uint8_t> a = read_file(generated(i));
    ASSERT_FALSE(a.empty()) << picture_paths[i];
    EXPECT_TRUE(a == read_file(dir.file(picture_paths[i]))) << picture_paths[i] << " differs between runs";
  }
}

TEST_F(PicturePack, FilesAreInTheFormatTheirNamesSay) {
  const std::string png_signature("\x89PNG\r\n\x1a\n", 8);
  for (int i = 0; i < picture_count; ++i) {
    const std::string path = picture_paths[i];
    const std::vector<uint8_t> bytes = read_file(generated(i));
    const std::string head(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 8));
    if (path.ends_with(".png"))
      EXPECT_EQ(head, png_signature) << path;
    else
      EXPECT_EQ(head.substr(0, 2), std::string("\xFF\xD8", 2)) << path;
  }
}

TEST_F(PicturePack, EveryPictureDecodesMeetsItsLayoutTargetAndTheShowsNeeds) {
  for (int i = 0; i < picture_count; ++i) {
    ASSERT_NE(picture(i), nullptr) << picture_paths[i] << ": " << reasons_[i];
  }
  for (int i = 0; i < picture_count; ++i) {
    const assets::LayoutTarget& target = assets::layout_target(i);
    const Image* ref = target.same_size_as >= 0 ? picture(target.same_size_as) : picture(i);
    EXPECT_TRUE(assets::layout_target_met(i, picture(i)->width, picture(i)->height, ref->width, ref->height))
        << picture_paths[i] << " is " << picture(i)->width << "x" << picture(i)->height << ": "
        << target.reason;
  }
  EXPECT_EQ(assets::first_layout_miss(pictures_), -1);
  EXPECT_EQ(picture_size_check(pictures_), "");
}

TEST_F(PicturePack, WordPicturesHaveAntiAliasedAlpha) {
  int words = 0;
  for (int i = 0; i < picture_count; ++i) {
    if (!is_word(i)) continue;
    ++words;
    const Image* img = picture(i);
    ASSERT_NE(img, nullptr);
    int clear = 0, solid = 0, partial = 0;
    for (int k = 0; k < img->width * img->height; ++k) {
      const uint8_t a = alpha(img->pixels[k]);
      clear += a == 0;
      solid += a == 255;
      partial += a > 0 && a < 255;
    }
    EXPECT_GT(clear, 0) << picture_paths[i];
    EXPECT_GT(solid, 0) << picture_paths[i];
    EXPECT_GT(partial, 2) << picture_paths[i] << ": edges are not anti-aliased";
  }
  EXPECT_GE(words, 60);
}

TEST_F(PicturePack, TitleIsBlackWhereTransparentBecauseItIsDrawnWithReplace) {
  const Image* title = picture(14);
  ASSERT_NE(title, nullptr);
  for (int k = 0; k < title->width * title->height; ++k)
    if (alpha(title->pixels[k]) == 0) {
      ASSERT_EQ(title->pixels[k] & 0xFFFFFF, 0u) << "pixel " << k;
    }
}

TEST_F(PicturePack, PhotographsHaveTexture) {
  // Not a flat fill or a plain gradient: brightness varies and plenty of
  // distinct colours occur.
  for (int i = 0; i < picture_count; ++i) {
    const std::string path = picture_paths[i];
    if (!path.ends_with(".jpg")) continue;
    const Image* img = picture(i);
    ASSERT_NE(img, nullptr);
    const int n = img->width * img->height;
    double sum = 0, sum2 = 0;
    std::vector<bool> seen(1 << 15, false);
    int distinct = 0;
    for (int k = 0; k < n; ++k) {
      const uint32_t p = img->pixels[k];
      const double l = luma(p);
      sum += l;
      sum2 += l * l;
      const uint32_t key = ((p >> 9) & 0x7C00) | ((p >> 6) & 0x3E0) | ((p >> 3) & 0x1F);
      if (!seen[key]) {
        seen[key] = true;
        ++distinct;
      }
    }
    const double mean = sum / n, sd = std::sqrt(sum2 / n - mean * mean);
    EXPECT_GT(sd, 8.0) << path;
    EXPECT_GT(distinct, 150) << path;
  }
}

TEST_F(PicturePack, SequencesChangeFromPictureToPicture) {
  // Stepping and cross-fades must be visible: neighbours differ clearly.
  const int runs[][2] = {{60, 75}, {100, 108}, {121, 135}, {140, 154}, {155, 163}, {164, 171}, {186, 189}, {15, 22}};
  for (const auto& run : runs)
    for (int i = run[0]; i < run[1]; ++i) {
      const Image* a = picture(i);
      const Image* b = picture(i + 1);
      ASSERT_TRUE(a && b);
      ASSERT_EQ(a->width * a->height, b->width * b->height);
      double diff = 0;
      for (int k = 0; k < a->width * a->height; ++k) diff += std::fabs(luma(a->pixels[k]) - luma(b->pixels[k]));
      EXPECT_GT(diff / (a->width * a->height), 3.0) << picture_paths[i] << " vs " << picture_paths[i + 1];
    }
}

TEST(SavaAssetsCommandLine, RefusesBadArgumentsWithOneLine) {
  ScratchDir dir;
  ChildLaunch launch;
  launch.program = SAVA_ASSETS_EXE;
  launch.working_dir = dir.path();
  ChildRun run = run_child(launch);
  EXPECT_EQ(run.status(), 2);  // misuse
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;

  // A regular file where the output directory should be.
  write_file(dir.file("blocker"), {'x'});
  launch.args = {dir.file("blocker")};
  run = run_child(launch);
  EXPECT_EQ(run.status(), 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_NE(run.err.find("cannot create"), std::string::npos) << run.err;

  // DIR/data a link to a folder elsewhere: refused, nothing written there.
  const std::string elsewhere = dir.file("elsewhere");
  std::filesystem::create_directory(elsewhere);
  std::filesystem::create_directory(dir.file("out"));
  std::filesystem::create_directory_symlink(elsewhere, dir.file("out/data"));
  launch.args = {dir.file("out")};
  run = run_child(launch);
  EXPECT_EQ(run.status(), 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_NE(run.err.find("symbolic link"), std::string::npos) << run.err;
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}

}  // namespace
