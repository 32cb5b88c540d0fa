// The image store over a directory of small pictures at the paths of a list,
// loaded on one thread and on worker threads (which must give what one
// thread gives: the same pictures, or the same refusal naming the same first
// failing picture).

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "image/image_store.h"
#include "image/picture_loading.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int count = 100;

// The list: "data/pic<i>.jpg" for every third index, ".png" otherwise.
const std::vector<std::string>& path_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (int i = 0; i < count; ++i) v.push_back("data/pic" + std::to_string(i) + (i % 3 == 0 ? ".jpg" : ".png"));
    return v;
  }();
  return names;
}
const std::vector<const char*>& paths() {
  static const std::vector<const char*> list = [] {
    std::vector<const char*> v;
    for (const std::string& name : path_names()) v.push_back(name.c_str());
    v.push_back(nullptr);
    return v;
  }();
  return list;
}

// Picture i is (i + 1) x 2 pixels, every pixel the colour i * 0x010101 of
// its index, so order mix-ups show. The ".jpg" paths get JPEGs (flat grey
// survives compression), the ".png" paths PNGs.
void write_picture(const std::string& path, int index) {
  const uint32_t width = static_cast<uint32_t>(index) + 1;
  const uint8_t v = static_cast<uint8_t>(index);
  write_file(path, path.ends_with(".jpg")
                       ? encode_jpeg(width, 2, faithful_jpeg(JpegKind::grey), std::vector<uint8_t>(width * 2, v))
                       : encode_rgb_png(width, 2, std::vector<uint32_t>(width * 2, index * 0x010101u)));
}

class StoreTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir_.file("data"));
    for (int i = 0; i < count; ++i) write_picture(dir_.file(paths()[i]), i);
    previous_ = fs::current_path();
    fs::current_path(dir_.path());
  }
  void TearDown() override {
    if (!previous_.empty()) fs::current_path(previous_);
  }

  ImageStore store;
  ScratchDir dir_;
  fs::path previous_;
};

TEST_F(StoreTest, HoldsEveryPictureInListOrder) {
  ASSERT_TRUE(store.load(paths().data()).loaded());
  ASSERT_EQ(store.size(), count);
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(paths()[i]);
    const Image* image = store[i];
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, i + 1);
    ASSERT_EQ(image->height, 2);
    EXPECT_EQ(image->pixels[2 * (i + 1) - 1], 0xFF000000u | (i * 0x010101u));
  }
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

TEST_F(StoreTest, StopsAtTheFirstMissingFileAndOpensNoLaterOne) {
  fs::remove("data/pic55.png");
  // A later file that must never be read: a corrupt one.
  write_file("data/pic96.jpg", {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
  FileWatch watch("data");
  ASSERT_TRUE(watch.ok());

  EXPECT_STREQ(store.load(paths().data()).culprit, "data/pic55.png");
  EXPECT_EQ(store.size(), 0);

  // Each earlier file is opened twice in table order: its header is read for
  // the store's total size, then it is decoded.
  watch.drain();
  ASSERT_EQ(watch.opened.size(), 110u);
  for (int i = 0; i < 55; ++i) {
    EXPECT_EQ(watch.opened[i], paths()[i]);
    EXPECT_EQ(watch.opened[55 + i], paths()[i]);
  }
  EXPECT_EQ(watch.closed, 110) << "every opened file is closed again";

  // Once the file is back, the same store loads completely.
  write_picture("data/pic55.png", 55);
  write_picture("data/pic96.jpg", 96);
  EXPECT_TRUE(store.load(paths().data()).loaded());
  EXPECT_EQ(store.size(), count);
}

TEST_F(StoreTest, CorruptFileIsReportedLikeAMissingOne) {
  write_file("data/pic39.jpg", {0xFF, 0xD8, 0xFF, 0xDB, 0x00});
  EXPECT_STREQ(store.load(paths().data()).culprit, "data/pic39.jpg");
  EXPECT_EQ(store.size(), 0);
}

TEST_F(StoreTest, FailuresCarryTheStartUpMessage) {
  fs::remove("data/pic80.png");
  // A missing file: the start-up message alone, on one line.
  StoreLoadResult result = store.load(paths().data());
  EXPECT_TRUE(result.unreadable);
  EXPECT_EQ(result.message(), "Couldn't load data/pic80.png");
  write_file("data/pic87.jpg", {'G', 'I', 'F', '8', '9', 'a'});
  EXPECT_EQ(store.load(paths().data()).message(), "Couldn't load data/pic80.png");
  // A file its decoder refuses: the decoder's reason first.
  write_picture("data/pic80.png", 80);
  result = store.load(paths().data());
  EXPECT_FALSE(result.unreadable);
  EXPECT_TRUE(result.message().starts_with("data/pic87.jpg: JPEG: ")) << result.message();
  EXPECT_TRUE(result.message().ends_with("\nCouldn't load data/pic87.jpg")) << result.message();
  EXPECT_EQ(store.size(), 0);
}

TEST_F(StoreTest, LoadingAgainReplacesTheContentsAndAMovedStoreOwnsThem) {
  for (int round = 0; round < 3; ++round) ASSERT_TRUE(store.load(paths().data()).loaded());
  EXPECT_EQ(store.size(), count);
  ImageStore moved(std::move(store));
  EXPECT_EQ(moved.size(), count);
  EXPECT_EQ(store.size(), 0);  // NOLINT(bugprone-use-after-move): a moved-from store is empty
  store = std::move(moved);
  EXPECT_EQ(store.size(), count);
  store.clear();
  EXPECT_EQ(store.size(), 0);
  store.clear();  // an empty store frees nothing
}

// The worker threads against one thread.
class LoadingTest : public StoreTest {
 protected:
  void write_all() {
    for (int i = 0; i < count; ++i) write_picture(paths()[i], i);
  }
  StoreLoadResult load_on(int threads, ImageStore* into, StopHook stop = {}) {
    if (threads == 0) return into->load(paths().data(), stop);
    PictureLoading loading(paths().data(), threads);
    return loading.finish(into, stop);
  }
};

TEST_F(LoadingTest, WorkersLoadTheSamePicturesInListOrder) {
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
      {{99, {}}},
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
        fs::remove(paths()[bad.index]);
      } else {
        write_file(paths()[bad.index], bad.bytes);
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

TEST_F(LoadingTest, AStopRequestEndsTheLoadingWithAnEmptyStore) {
  for (const int threads : {0, 2}) {
    int asked = 0;
    const auto stop_now = [&asked] { return ++asked > 0; };
    ImageStore many;
    const StoreLoadResult got = load_on(threads, &many, stop_now);
    EXPECT_TRUE(got.stopped()) << threads;
    EXPECT_EQ(asked, 1) << threads;  // not asked again once it said stop
    EXPECT_EQ(many.size(), 0);
  }
}

TEST(ImageBuffer, CreateIsZeroFilledAndOwnsItsPixels) {
  Result<Image> made = Image::create(7, 5);
  ASSERT_TRUE(made) << made.error();
  const Image image = std::move(*made);
  EXPECT_TRUE(image.owns_pixels());
  EXPECT_EQ(made->pixels, nullptr);  // moved out whole
  EXPECT_EQ(image.width, 7);
  EXPECT_EQ(image.height, 5);
  for (int i = 0; i < 35; ++i) EXPECT_EQ(image.pixels[i], 0u);
}

}  // namespace
