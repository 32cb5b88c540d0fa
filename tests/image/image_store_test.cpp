// The image store over a directory of 224 small pictures at the table's paths.

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/effect.h"
#include "core/runtime.h"
#include "image/image_store.h"
#include "picture_files.h"

namespace {

namespace fs = std::filesystem;

// Picture i is (i + 1) x 2 pixels, every pixel the colour i * 0x010101 of
// its index, so order mix-ups show. The table's ".jpg" paths get JPEGs (flat
// grey survives compression), the ".png" paths PNGs.
bool write_picture(const std::string& path, int index) {
  const uint32_t width = static_cast<uint32_t>(index) + 1;
  const uint8_t v = static_cast<uint8_t>(index);
  if (path.ends_with(".jpg")) return write_jpeg(path, width, 2, JpegKind::grey, std::vector<uint8_t>(width * 2, v));
  return write_rgb_png(path, width, 2, std::vector<uint32_t>(width * 2, index * 0x010101u));
}

class ImageStore : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    fs::create_directory(dir_.path() / "data");
    for (int i = 0; i < picture_count; ++i) {
      ASSERT_TRUE(write_picture(dir_.file(picture_paths[i]), i)) << picture_paths[i];
    }
    previous_ = fs::current_path();
    fs::current_path(dir_.path());
  }
  void TearDown() override {
    image_store_free();
    if (!previous_.empty()) fs::current_path(previous_);
  }

  TempDir dir_;
  fs::path previous_;
};

TEST(PictureTable, HasTheShowsPathsInOrder) {
  int count = 0;
  while (picture_paths[count] != nullptr) ++count;
  EXPECT_EQ(count, 224);
  EXPECT_STREQ(picture_paths[0], "data/convexa.png");
  EXPECT_STREQ(picture_paths[4], "data/shipyard1.jpg");
  EXPECT_STREQ(picture_paths[172], "data/lapinkulta.jpg");
  EXPECT_STREQ(picture_paths[223], "data/endscreen.png");
  std::set<std::string> distinct;
  int jpg = 0;
  for (int i = 0; i < count; ++i) {
    distinct.insert(picture_paths[i]);
    jpg += std::string(picture_paths[i]).ends_with(".jpg");
  }
  EXPECT_EQ(distinct.size(), 224u);
  EXPECT_EQ(jpg, 115);
}

TEST_F(ImageStore, HoldsEveryPictureInTableOrderAndABlankBackBuffer) {
  ASSERT_EQ(image_store_try_load(), nullptr);
  ASSERT_NE(image_store, nullptr);
  ASSERT_EQ(image_count, 225);
  for (int i = 0; i < picture_count; ++i) {
    SCOPED_TRACE(picture_paths[i]);
    const Image* image = image_store[i];
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, i + 1);
    ASSERT_EQ(image->height, 2);
    EXPECT_EQ(image->pixels[2 * (i + 1) - 1], 0xFF000000u | (i * 0x010101u));
  }
  const Image* back = image_store[back_buffer_index];
  ASSERT_EQ(back->width, 400);
  ASSERT_EQ(back->height, 300);
  for (int i = 0; i < 400 * 300; ++i) ASSERT_EQ(back->pixels[i], 0u) << i;
}

// Counts what the store does to the files of data/: which it opens, in which
// order, and how many it closes again.
class FileWatch {
 public:
  explicit FileWatch(const std::string& dir) {
    fd_ = inotify_init1(IN_NONBLOCK);
    if (fd_ >= 0) inotify_add_watch(fd_, dir.c_str(), IN_OPEN | IN_CLOSE_NOWRITE);
  }
  ~FileWatch() {
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  void drain() {
    alignas(inotify_event) char buffer[65536];
    for (;;) {
      const ssize_t got = read(fd_, buffer, sizeof buffer);
      if (got <= 0) return;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        const std::string name = event->len ? event->name : "";
        if (event->mask & IN_OPEN) opened.push_back("data/" + name);
        if (event->mask & IN_CLOSE_NOWRITE) ++closed;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }
  std::vector<std::string> opened;
  int closed = 0;

 private:
  int fd_ = -1;
};

TEST_F(ImageStore, StopsAtTheFirstMissingFileAndOpensNoLaterOne) {
  fs::remove("data/traffic9.jpg");  // index 55
  // A later file that must never be read: a corrupt one.
  ASSERT_TRUE(write_file("data/traffic10.jpg", {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}));
  FileWatch watch("data");
  ASSERT_TRUE(watch.ok());

  EXPECT_STREQ(image_store_try_load(), "data/traffic9.jpg");
  EXPECT_EQ(image_store, nullptr);
  EXPECT_EQ(image_count, 0);

  // Each earlier file is opened twice in table order: its header is read for
  // the store's total size, then it is decoded.
  watch.drain();
  ASSERT_EQ(watch.opened.size(), 110u);
  for (int i = 0; i < 55; ++i) {
    EXPECT_EQ(watch.opened[i], picture_paths[i]);
    EXPECT_EQ(watch.opened[55 + i], picture_paths[i]);
  }
  EXPECT_EQ(watch.closed, 110) << "every opened file is closed again";

  // Once the file is back, the same store loads completely.
  ASSERT_TRUE(write_picture("data/traffic9.jpg", 55));
  ASSERT_TRUE(write_picture("data/traffic10.jpg", 96));
  EXPECT_EQ(image_store_try_load(), nullptr);
  EXPECT_EQ(image_count, 225);
}

TEST_F(ImageStore, CorruptFileIsReportedLikeAMissingOne) {
  ASSERT_TRUE(write_file("data/eye.jpg", {0xFF, 0xD8, 0xFF, 0xDB, 0x00}));
  EXPECT_STREQ(image_store_try_load(), "data/eye.jpg");
  EXPECT_EQ(image_store, nullptr);
}

TEST_F(ImageStore, LoadPrintsTheMessageAndExitsWithStatusOne) {
  fs::remove("data/phone.jpg");
  // A missing file: the start-up message alone, on one line.
  EXPECT_EXIT(image_store_load(), testing::ExitedWithCode(1), "^Couldn't load data/phone\\.jpg\n$");
  ASSERT_TRUE(write_file("data/eye.jpg", {'G', 'I', 'F', '8', '9', 'a'}));
  EXPECT_EXIT(image_store_load(), testing::ExitedWithCode(1), "^Couldn't load data/phone\\.jpg\n$");
  ASSERT_TRUE(write_picture("data/phone.jpg", 81));
  EXPECT_EXIT(image_store_load(), testing::ExitedWithCode(1),
              "^data/eye\\.jpg: JPEG: .*\nCouldn't load data/eye\\.jpg\n$");
}

int destroyed = 0;
void counting_init(EffectObject* object) {
  object->destroy = [](EffectObject*) { ++destroyed; };
}

TEST_F(ImageStore, FreeEmptiesTheDisplayListAndAllowsLoadingAgain) {
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(image_store_try_load(), nullptr);
    display_list = list_prepend(effect_create(counting_init, nullptr), display_list);
    destroyed = 0;
    image_store_free();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(display_list, nullptr);
    EXPECT_EQ(image_store, nullptr);
    EXPECT_EQ(image_count, 0);
  }
  image_store_free();  // an empty store frees nothing
  image_store_load();
  EXPECT_EQ(image_count, 225);
}

TEST(ImageBuffer, CreateIsZeroFilledAndFreeAcceptsNull) {
  image_free(nullptr);
  Image* image = image_create(7, 5);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 7);
  EXPECT_EQ(image->height, 5);
  for (int i = 0; i < 35; ++i) EXPECT_EQ(image->pixels[i], 0u);
  image_free(image);
}

}  // namespace
