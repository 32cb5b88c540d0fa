// Decompression bombs: small files of well-compressed data that decode to
// very large pictures. One picture may be as large as the per-picture limit
// and is decoded row by row, once; image data beyond what the header
// announces is neither decoded nor kept; and a store of such pictures is
// refused once the pictures together pass the store's limit, long before
// memory runs out. The work is counted through the decoders' stop hook,
// which they ask after every PNG row and all along a JPEG's scans.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/image_store.h"
#include "image/picture_limits.h"
#include "image/picture_load.h"
#include "show/show_files.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"
#include "support/show_data.h"

namespace {

namespace fs = std::filesystem;

// Counts the calls of the loader's stop hook, which come before every
// picture of a store and during every decode; asks to stop on call number
// stop_at (never with 0).
int stop_calls = 0;
int stop_at = 0;
bool count_stop_calls() { return ++stop_calls == stop_at; }

// picture_load with the counting hook.
PictureResult load_counted(const std::string& path) {
  stop_calls = 0;
  stop_at = 0;
  return picture_load(path.c_str(), DecodeContext{.stop = count_stop_calls, .block = nullptr, .place = nullptr, .place_words = 0});
}

TEST(PictureBomb, LargestAcceptedPictureFromASmallFileDecodes) {
  ScratchDir dir;
  const std::string path = dir.path() + "/bomb.png";
  // 16384 x 4096: exactly the per-picture limit of 64 Mi pixels.
  const std::vector<uint8_t> bytes = zero_png(16384, 4096);
  EXPECT_LT(bytes.size(), 100000u);  // 256 MiB of pixels from under 100 kB
  write_file(path, bytes);
  const PictureResult loaded = load_counted(path);
  ASSERT_TRUE(loaded.ok()) << loaded.reason;
  const Image* image = &loaded.image;
  EXPECT_EQ(stop_calls, 4096);  // every row decoded once
  EXPECT_EQ(image->width, 16384);
  EXPECT_EQ(image->height, 4096);
  EXPECT_EQ(image->pixels[16384u * 4096u - 1], 0xFF000000u);

  // One row more is over the limit and refused before anything is decoded.
  write_file(path, zero_png(16384, 4097));
  const PictureResult over = load_counted(path);
  EXPECT_EQ(over.image.pixels, nullptr);
  EXPECT_EQ(over.failure, PictureFailure::too_large) << over.reason;
  EXPECT_EQ(stop_calls, 0);
}

TEST(PictureBomb, ImageDataBeyondTheHeaderIsNeitherKeptNorFatal) {
  ScratchDir dir;
  const std::string path = dir.path() + "/overlong.png";
  // A 4096 x 16 picture whose data stream goes on for 100 MB more.
  write_file(path, zero_png(4096, 16, 25000));
  const PictureResult loaded = load_counted(path);
  EXPECT_LE(stop_calls, 16);  // the announced rows at most
  if (loaded.ok()) {
    EXPECT_EQ(loaded.image.width, 4096);
    EXPECT_EQ(loaded.image.height, 16);
  } else {
    EXPECT_EQ(loaded.failure, PictureFailure::refused);
    EXPECT_NE(loaded.reason, "");
  }
}

// Loads the show's pictures in `dir` into `store` with the counting stop hook.
StoreLoadResult load_store_in(ImageStore& store, const std::string& dir, int stop_on_call) {
  stop_calls = 0;
  stop_at = stop_on_call;
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  StoreLoadResult result = store.load(picture_paths, count_stop_calls);
  fs::current_path(previous);
  return result;
}

TEST(PictureBomb, StoreOfLargestPicturesIsRefusedFromTheHeadersBeforeDecoding) {
  ScratchDir dir;
  fs::create_directories(fs::path(dir.path()) / "data");
  const std::vector<uint8_t> bomb = zero_png(16384, 4096);
  for (int32_t i = 0; i < picture_count; ++i) write_file(dir.path() + "/" + picture_paths[i], bomb);
  ImageStore store;
  const StoreLoadResult result = load_store_in(store, dir.path(), 0);

  // Two such pictures are exactly the limit; the third passes it, and no
  // picture was decoded (or even started) to find that out.
  ASSERT_EQ(picture_store_max_pixels, 2u * 16384u * 4096u);
  ASSERT_EQ(result.status, StoreLoadResult::Status::refused);
  // No single picture is named: none is at fault on its own.
  EXPECT_EQ(result.culprit, image_store_all_pictures);
  EXPECT_EQ(result.reason, "they need at least 768 MiB together, more than the limit of 512 MiB");
  EXPECT_EQ(result.message(),
            "Couldn't load the pictures: they need at least 768 MiB together, more than the limit of 512 MiB");
  EXPECT_EQ(store.size(), 0);
  EXPECT_EQ(stop_calls, 0);
}

}  // namespace

namespace {

// A progressive grey JPEG of the given size, all mid-grey, whose first AC
// scan is repeated `repeats` more times before the end: every scan makes the
// decoder visit every block of the picture again.
std::vector<uint8_t> many_scan_jpeg(uint32_t width, uint32_t height, int repeats) {
  const std::vector<uint8_t> bytes =
      encode_jpeg(width, height, {.samples = JpegSamples::grey, .progressive = true},
                  std::vector<uint8_t>(static_cast<size_t>(width) * height, 128));

  // Scans start at SOS markers (FF DA); markers inside entropy data are
  // always stuffed, so a plain search finds them. The second scan is the
  // first AC scan of the simple progression.
  std::vector<size_t> scans;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) scans.push_back(i);
  }
  if (scans.size() < 3) return bytes;
  const std::vector<uint8_t> scan(bytes.begin() + static_cast<long>(scans[1]), bytes.begin() + static_cast<long>(scans[2]));
  std::vector<uint8_t> out(bytes.begin(), bytes.end() - 2);  // without EOI
  for (int i = 0; i < repeats; ++i) out.insert(out.end(), scan.begin(), scan.end());
  out.push_back(0xFF);
  out.push_back(0xD9);
  return out;
}

TEST(PictureBomb, JpegScansAreLimitedInProportionToThePicturesSize) {
  ScratchDir dir;
  const std::string path = dir.path() + "/scans.jpg";
  // Scans times pixels may reach 2^31: 128 scans of 16 Mi pixels (without a
  // limit, 5000 of them take a quarter of a minute for this one picture),
  // 2048 scans of 1 Mi pixels.
  const struct {
    uint32_t side;
    int extra_scans;  // beyond the 6 of the grey progression
    const char* refusal;
  } cases[] = {
      {4096, 5000, "JPEG: more than 128 scans for 4096 x 4096 pixels"},
      {4096, 200, "JPEG: more than 128 scans for 4096 x 4096 pixels"},
      {1024, 1000, nullptr},
      {64, 20, nullptr},  // as many scans as a real file has
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.side) + " " + std::to_string(c.extra_scans));
    const std::vector<uint8_t> bytes = many_scan_jpeg(c.side, c.side, c.extra_scans);
    EXPECT_LT(bytes.size(), 1000000u);
    write_file(path, bytes);
    const PictureResult loaded = picture_load(path.c_str());
    if (c.refusal != nullptr) {
      EXPECT_EQ(loaded.image.pixels, nullptr);
      EXPECT_EQ(loaded.failure, PictureFailure::refused);
      EXPECT_EQ(loaded.reason, c.refusal);
    } else {
      ASSERT_TRUE(loaded.ok()) << loaded.reason;
      const Image* image = &loaded.image;
      EXPECT_EQ(image->pixels[0] & 0xFFFFFFu, image->pixels[c.side * c.side - 1] & 0xFFFFFFu);
    }
  }
}

TEST(PictureBomb, StopRequestIsHonouredBetweenPicturesAndWithinLongDecodes) {
  // The first picture alone takes long: 4096 rows of a PNG, or the scans of
  // a progressive JPEG that the decoder reads before its first row.
  ScratchDir png_dir;
  ScratchDir jpeg_dir;
  write_show_data(png_dir.path(), {{"data/convexa.png", zero_png(8192, 4096)}});
  write_show_data(jpeg_dir.path(), {{"data/shipyard1.jpg", many_scan_jpeg(2048, 2048, 60)}});
  const struct {
    const char* name;
    const std::string& dir;
    int stop_on_call;
  } cases[] = {
      {"before the first picture", png_dir.path(), 1},
      {"within the PNG's rows", png_dir.path(), 100},
      // Pictures 0-3 are small PNGs: about a hundred rows before it.
      {"within the JPEG's scans", jpeg_dir.path(), 1000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImageStore store;
    EXPECT_TRUE(load_store_in(store, c.dir, c.stop_on_call).stopped());
    EXPECT_EQ(stop_calls, c.stop_on_call);  // not asked again: given up at once
    EXPECT_EQ(store.size(), 0);
  }
}

}  // namespace
