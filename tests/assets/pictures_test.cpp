// The generated picture pack: reproducible bytes, decodable files that meet
// the scenes' size needs, real alpha on word pictures, photographs with
// content, and sequences that change from picture to picture.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue.h"
#include "image/image.h"
#include "show/show_files.h"
#include "image/picture_load.h"
#include "picture_layout.h"
#include "show/picture_size_check.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

struct ImageDeleter {
  void operator()(Image* image) const { image_free(image); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

// Runs a shell command and returns its exit status (-1 if it did not exit).
int run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const fs::path& p) {
  std::string q = "'";
  q += p.string();
  q += "'";
  return q;
}

// A name in the build tree private to this test process.
fs::path scratch(const char* stem) {
  std::string name = stem;
  name += std::to_string(getpid());
  return fs::path(SAVA_BINARY_DIR) / name;
}

// Size and modification time of a file, to tell whether a cached pack is
// still the output of the current programs.
std::string file_signature(const fs::path& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  const auto time = fs::last_write_time(path, ec).time_since_epoch().count();
  return std::to_string(size) + ":" + std::to_string(time);
}

void write_file(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class PicturePack : public ::testing::Test {
 protected:
  // One pack from the program itself (its own thread count), one from the
  // library with three workers: the bytes must not depend on the threading.
  // CTest runs every test in its own process, so the two packs are made once
  // and kept in the build tree (under a lock) until either program changes.
  static void SetUpTestSuite() {
    base_ = fs::path(SAVA_BINARY_DIR) / "assets_test_pack";
    const std::string signature =
        file_signature(SAVA_ASSETS_EXE) + " " + file_signature("/proc/self/exe");
    const int lock = open((base_.string() + ".lock").c_str(), O_CREAT | O_RDWR, 0644);
    ASSERT_GE(lock, 0);
    flock(lock, LOCK_EX);
    if (read_file(base_ / "signature") != signature) {
      fs::remove_all(base_);
      fs::create_directories(base_ / "lib" / "data");
      const int status = run("SAVA_ASSETS_ALLOW_NO_MUSIC=1 " + quoted(SAVA_ASSETS_EXE) + " " +
                             quoted(base_ / "exe") + " > /dev/null 2> " + quoted(base_ / "exe.stderr"));
      std::string error;
      const bool ok = assets::generate_pictures((base_ / "lib").string(), 3, &error);
      write_file(base_ / "exe.status", std::to_string(status));
      write_file(base_ / "lib.error", ok ? "" : "failed: " + error);
      write_file(base_ / "signature", signature);
    }
    flock(lock, LOCK_UN);
    close(lock);
    exit_status_ = std::atoi(read_file(base_ / "exe.status").c_str());
    library_error_ = read_file(base_ / "lib.error");
    for (int i = 0; i < picture_count; ++i)
      pictures_.emplace_back(picture_load((base_ / "exe" / picture_paths[i]).c_str()));
  }
  static void TearDownTestSuite() { pictures_.clear(); }

  static const Image* picture(int index) { return pictures_[index].get(); }

  static fs::path base_;
  static int exit_status_;
  static std::string library_error_;
  static std::vector<ImagePtr> pictures_;
};

fs::path PicturePack::base_;
int PicturePack::exit_status_ = -1;
std::string PicturePack::library_error_;
std::vector<ImagePtr> PicturePack::pictures_;

uint8_t alpha(uint32_t p) { return p >> 24; }
float luma(uint32_t p) {
  return 0.3f * ((p >> 16) & 255) + 0.59f * ((p >> 8) & 255) + 0.11f * (p & 255);
}

bool is_word(int index) { return assets::picture_recipe(index).make == assets::make_word; }

TEST_F(PicturePack, BothRunsSucceedAndWriteIdenticalBytes) {
  ASSERT_EQ(exit_status_, 0) << read_file(base_ / "exe.stderr");
  ASSERT_EQ(library_error_, "");
  for (int i = 0; i < picture_count; ++i) {
    const std::string a = read_file(base_ / "exe" / picture_paths[i]);
    const std::string b = read_file(base_ / "lib" / picture_paths[i]);
    ASSERT_FALSE(a.empty()) << picture_paths[i];
    EXPECT_TRUE(a == b) << picture_paths[i] << " differs between runs";
  }
}

TEST_F(PicturePack, FilesAreInTheFormatTheirNamesSay) {
  const std::string png_signature("\x89PNG\r\n\x1a\n", 8);
  for (int i = 0; i < picture_count; ++i) {
    const std::string path = picture_paths[i];
    const std::string head = read_file(base_ / "exe" / path).substr(0, 8);
    if (path.ends_with(".png"))
      EXPECT_EQ(head, png_signature) << path;
    else
      EXPECT_EQ(head.substr(0, 2), std::string("\xFF\xD8", 2)) << path;
  }
}

TEST_F(PicturePack, EveryPictureDecodesMeetsItsLayoutTargetAndTheShowsNeeds) {
  std::vector<const Image*> all;
  for (int i = 0; i < picture_count; ++i) {
    ASSERT_NE(picture(i), nullptr) << picture_paths[i] << ": " << picture_load_error();
    all.push_back(picture(i));
  }
  for (int i = 0; i < picture_count; ++i) {
    const assets::LayoutTarget& target = assets::layout_target(i);
    const Image* ref = target.same_size_as >= 0 ? picture(target.same_size_as) : picture(i);
    EXPECT_TRUE(assets::layout_target_met(i, picture(i)->width, picture(i)->height, ref->width, ref->height))
        << picture_paths[i] << " is " << picture(i)->width << "x" << picture(i)->height << ": "
        << target.reason;
  }
  EXPECT_EQ(assets::first_layout_miss(all.data()), -1);
  EXPECT_EQ(picture_size_check(all.data()), "");
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
  const fs::path err = scratch("assets_cli_stderr_");
  EXPECT_EQ(run(quoted(SAVA_ASSETS_EXE) + " 2> " + quoted(err)), 2);  // misuse
  std::string text = read_file(err);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;

  // A regular file where the output directory should be.
  const fs::path blocker = scratch("assets_cli_file_");
  { std::ofstream(blocker) << "x"; }
  EXPECT_EQ(run(quoted(SAVA_ASSETS_EXE) + " " + quoted(blocker) + " 2> " + quoted(err)), 1);
  text = read_file(err);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  EXPECT_NE(text.find("cannot create"), std::string::npos) << text;
  fs::remove(blocker);
  fs::remove(err);
}

}  // namespace
