// Loading on worker threads gives what loading on one thread gives: the same
// pictures, or the same refusal naming the same first failing picture.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/image_store.h"
#include "image/picture_load.h"
#include "image/picture_loading.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"

namespace {

constexpr int count = 60;

class LoadingTest : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < count; ++i) {
      std::string name = "pic";
      name += std::to_string(i);
      name += i % 3 == 0 ? ".jpg" : ".png";
      names_.push_back(dir_.file(name));
    }
    for (const std::string& name : names_) paths_.push_back(name.c_str());
    paths_.push_back(nullptr);
  }
  // Picture i: (i + 8) x 3 pixels of grey i (a JPEG for every third).
  void write_all() {
    for (int i = 0; i < count; ++i) {
      const uint32_t width = static_cast<uint32_t>(i) + 8;
      write_file(names_[i], i % 3 == 0 ? encode_jpeg(width, 3, faithful_jpeg(JpegKind::grey),
                                                     std::vector<uint8_t>(width * 3, static_cast<uint8_t>(i)))
                                       : encode_rgb_png(width, 3, std::vector<uint32_t>(width * 3, i * 0x010101u)));
    }
  }
  StoreLoadResult load_on(int threads, ImageStore* store) {
    if (threads == 0) return store->load(paths_.data());
    PictureLoading loading(paths_.data(), threads);
    return loading.finish(store);
  }

  ScratchDir dir_;
  std::vector<std::string> names_;
  std::vector<const char*> paths_;
};

TEST_F(LoadingTest, WorkersLoadTheSamePicturesInListOrder) {
  write_all();
  ImageStore one;
  ASSERT_TRUE(load_on(0, &one).loaded());
  for (const int threads : {1, 2, 7}) {
    ImageStore many;
    ASSERT_TRUE(load_on(threads, &many).loaded());
    ASSERT_EQ(many.size(), count);
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(many[i]->width, one[i]->width);
      ASSERT_EQ(many[i]->height, one[i]->height);
      ASSERT_EQ(0, std::memcmp(many[i]->pixels, one[i]->pixels, sizeof(uint32_t) * one[i]->width * one[i]->height))
          << i;
    }
  }
}

TEST_F(LoadingTest, SeveralBadFilesGiveTheSameRefusalAsOneThread) {
  struct Bad {
    int index;
    std::vector<uint8_t> bytes;  // empty: the file is missing
  };
  const std::vector<uint8_t> garbage(500, 0xAB);
  const std::vector<uint8_t> truncated_big_jpeg = jpeg_claiming(4000, 3000);  // fails late
  const std::vector<uint8_t> huge_header = png_claiming(16384, 4096);
  const std::vector<std::vector<Bad>> sets = {
      {{41, {}}, {7, garbage}, {55, {}}},
      {{3, truncated_big_jpeg}, {4, {}}, {50, {}}, {59, garbage}},
      {{0, garbage}, {1, {}}},
      {{59, {}}},
      // Headers that pass the store's limit together, then a missing file.
      {{10, huge_header}, {11, huge_header}, {12, huge_header}, {20, {}}},
  };
  for (const auto& set : sets) {
    write_all();
    std::string line;
    for (const Bad& bad : set) {
      line += ' ';
      line += std::to_string(bad.index);
      if (bad.bytes.empty()) {
        std::filesystem::remove(names_[bad.index]);
      } else {
        write_file(names_[bad.index], bad.bytes);
      }
    }
    SCOPED_TRACE("bad:" + line);
    ImageStore one;
    const StoreLoadResult expected = load_on(0, &one);
    ASSERT_EQ(expected.status, StoreLoadResult::Status::refused);
    for (const int threads : {1, 2, 7}) {
      ImageStore many;
      const StoreLoadResult got = load_on(threads, &many);
      EXPECT_EQ(got.status, StoreLoadResult::Status::refused) << threads;
      EXPECT_EQ(got.message(), expected.message()) << threads;
      EXPECT_EQ(got.unreadable, expected.unreadable) << threads;
      EXPECT_EQ(many.size(), 0);
    }
  }
}

bool stop_now() { return true; }

TEST_F(LoadingTest, AStopRequestEndsTheLoadingWithAnEmptyStore) {
  write_all();
  picture_stop_requested = stop_now;
  ImageStore many;
  const StoreLoadResult got = load_on(2, &many);
  picture_stop_requested = nullptr;
  EXPECT_TRUE(got.stopped());
  EXPECT_EQ(many.size(), 0);
}

}  // namespace
