// Helpers shared by the effect tests: owned images, seeded random content,
// checksums, and a comparison that dumps both pictures as PPM files into the
// build tree when they differ.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "base/file_handle.h"
#include "image/image.h"

namespace test_util {

using ::ImagePtr;

inline ImagePtr make_image(int32_t width, int32_t height) {
  return std::make_unique<Image>(Image::create(width, height).value());
}

inline ImagePtr clone_image(const Image& image) {
  ImagePtr copy = make_image(image.width, image.height);
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t i = 0; i < count; ++i) copy->pixels[i] = image.pixels[i];
  return copy;
}

inline uint32_t& at(Image& image, int32_t x, int32_t y) {
  return image.pixels[static_cast<std::size_t>(y) * image.width + x];
}

inline void fill(Image& image, uint32_t value) {
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t i = 0; i < count; ++i) image.pixels[i] = value;
}

// Every word random, alpha included: exercises all channel values.
inline void fill_random(Image& image, uint32_t seed) {
  std::mt19937 rng(seed);
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t i = 0; i < count; ++i) image.pixels[i] = static_cast<uint32_t>(rng());
}

// Like fill_random, but a quarter of the pixels get alpha 0 and a quarter
// alpha 255, the values blending treats at its extremes.
inline void fill_random_alpha_mix(Image& image, uint32_t seed) {
  std::mt19937 rng(seed);
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t i = 0; i < count; ++i) {
    uint32_t p = static_cast<uint32_t>(rng());
    switch (rng() & 3u) {
      case 0: p &= 0x00FFFFFFu; break;
      case 1: p |= 0xFF000000u; break;
      default: break;
    }
    image.pixels[i] = p;
  }
}

// FNV-1a over the pixel words, little-endian byte order.
inline uint64_t checksum(const Image& image) {
  uint64_t h = 1469598103934665603ull;
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t i = 0; i < count; ++i) {
    uint32_t p = image.pixels[i];
    for (int b = 0; b < 4; ++b) {
      h ^= (p >> (8 * b)) & 0xFFu;
      h *= 1099511628211ull;
    }
  }
  return h;
}

// Binary PPM of the colour channels (alpha is dropped).
inline bool write_ppm(const std::string& path, const Image& image) {
  FileHandle file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  std::FILE* f = file.get();
  std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t i = 0; i < count; ++i) {
    const uint32_t p = image.pixels[i];
    const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                  static_cast<unsigned char>(p >> 8),
                                  static_cast<unsigned char>(p)};
    std::fwrite(rgb, 1, 3, f);
  }
  return std::fclose(file.release()) == 0;
}

inline std::string output_dir() {
  std::filesystem::path dir = std::filesystem::path(SAVA_BINARY_DIR) / "test-output";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return dir.string();
}

// Compares two images word for word. On a mismatch it reports the first
// differing pixel and the number of differences, and writes
// <build>/test-output/<name>_actual.ppm and _expected.ppm.
inline ::testing::AssertionResult images_equal(const Image& actual, const Image& expected,
                                               const std::string& name) {
  if (actual.width != expected.width || actual.height != expected.height) {
    return ::testing::AssertionFailure()
           << name << ": size " << actual.width << "x" << actual.height << " vs expected "
           << expected.width << "x" << expected.height;
  }
  std::size_t differences = 0;
  int32_t first_x = -1, first_y = -1;
  uint32_t first_actual = 0, first_expected = 0;
  for (int32_t y = 0; y < actual.height; ++y) {
    for (int32_t x = 0; x < actual.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * actual.width + x;
      if (actual.pixels[i] != expected.pixels[i]) {
        if (differences++ == 0) {
          first_x = x;
          first_y = y;
          first_actual = actual.pixels[i];
          first_expected = expected.pixels[i];
        }
      }
    }
  }
  if (differences == 0) return ::testing::AssertionSuccess();
  const std::string base = output_dir() + "/" + name;
  write_ppm(base + "_actual.ppm", actual);
  write_ppm(base + "_expected.ppm", expected);
  char buf[160];
  std::snprintf(buf, sizeof buf, "first at (%d, %d): 0x%08X, expected 0x%08X", first_x, first_y,
                first_actual, first_expected);
  return ::testing::AssertionFailure() << name << ": " << differences << " pixels differ, " << buf
                                       << "; pictures written to " << base << "_*.ppm";
}

}  // namespace test_util
