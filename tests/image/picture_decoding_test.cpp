// A decoding in steps, each as small as it comes, ends as one in one go: the
// same picture or the same failure, for every kind of file the decoders meet.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/picture_load.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// Samples that compress badly, so that a file holds many buffers of data.
std::vector<uint8_t> noise(size_t count) {
  std::vector<uint8_t> samples(count);
  uint32_t state = 12345;
  for (uint8_t& sample : samples) sample = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 23);
  return samples;
}

TEST(PictureDecoding, InTheSmallestStepsEndsAsInOneGo) {
  ScratchDir dir;
  struct File {
    std::string path;
    int min_steps;  // at least this many: the steps are small
  };
  std::vector<File> files;
  const auto written = [&](const std::string& name, const std::vector<uint8_t>& bytes, int min_steps) {
    files.push_back({dir.file(name), min_steps});
    write_file(files.back().path, bytes);
  };
  const std::vector<uint8_t> progressive = encode_jpeg(320, 240, {.progressive = true}, noise(320 * 240 * 3));
  written("progressive.jpg", progressive, 30);
  written("baseline.jpg", encode_jpeg(320, 240, {}, noise(320 * 240 * 3)), 30);
  written("grey-progressive.jpg",
          encode_jpeg(200, 150, {.samples = JpegSamples::grey, .progressive = true}, noise(200 * 150)), 10);
  written("cmyk.jpg", encode_jpeg(64, 48, {.samples = JpegSamples::cmyk}, noise(64 * 48 * 4)), 3);
  written("arithmetic.jpg", encode_jpeg(160, 120, {.progressive = true, .arithmetic = true}, noise(160 * 120 * 3)),
          5);
  written("truncated.jpg", {progressive.begin(), progressive.begin() + progressive.size() / 2}, 1);
  const std::vector<uint8_t> png = png_picture(300, 200);
  written("picture.png", png, 200);
  written("truncated.png", {png.begin(), png.begin() + png.size() / 2}, 1);
  for (const char* name : {"testorig.jpg", "testimgint.jpg", "testimgari.jpg", "monkey12.jpg"}) {
    const std::string path = testdata_path(std::string("jpeg/") + name);
    if (!path.empty()) files.push_back({path, 1});
  }
  if (!testdata_path("pngsuite").empty()) {
    for (const auto& entry : fs::directory_iterator(testdata_path("pngsuite"))) {
      if (entry.path().extension() == ".png") files.push_back({entry.path().string(), 1});
    }
  }

  for (const File& file : files) {
    SCOPED_TRACE(file.path);
    const PictureResult whole = picture_load(file.path.c_str());
    PictureDecoding decoding(file.path.c_str());
    auto at_once = [] { return true; };
    int steps = 1;
    while (!decoding.advance(at_once) && steps < 100000) ++steps;
    const PictureResult stepped = decoding.take();
    EXPECT_GE(steps, file.min_steps);
    EXPECT_EQ(stepped.failure, whole.failure);
    EXPECT_EQ(stepped.reason, whole.reason);
    ASSERT_EQ(stepped.image.width, whole.image.width);
    ASSERT_EQ(stepped.image.height, whole.image.height);
    if (whole.ok()) {
      EXPECT_EQ(0, std::memcmp(stepped.image.pixels, whole.image.pixels,
                               4u * static_cast<size_t>(whole.image.width) * whole.image.height));
    }
  }
}

}  // namespace
