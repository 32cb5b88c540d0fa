// Test support for the mask, smear and blur tests: the instruction-set
// levels available on this machine, a guard that selects one for the
// duration of a test, and images fenced by guard words that show any write
// (or, under the sanitizers, read) outside the pixel array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image.h"

#include "effects/kernel_dispatch.h"

namespace fx_levels {

inline std::vector<SimdLevel> available() {
  std::vector<SimdLevel> levels;
  for (SimdLevel level : {SimdLevel::scalar, SimdLevel::sse2, SimdLevel::avx2}) {
    if (simd_level_supported(level)) levels.push_back(level);
  }
  return levels;
}

class ScopedLevel {
 public:
  explicit ScopedLevel(SimdLevel level) : saved_(simd_level()) { set_simd_level(level); }
  ~ScopedLevel() { set_simd_level(saved_); }
  ScopedLevel(const ScopedLevel&) = delete;
  ScopedLevel& operator=(const ScopedLevel&) = delete;

 private:
  SimdLevel saved_;
};

// An image whose pixel array sits between two runs of guard words.
class FencedImage {
 public:
  static constexpr std::size_t fence = 64;
  static constexpr uint32_t guard = 0xDEADBEEFu;

  FencedImage(int32_t width, int32_t height)
      : storage_(static_cast<std::size_t>(width) * height + 2 * fence, guard) {
    image_.pixels = storage_.data() + fence;
    image_.width = width;
    image_.height = height;
  }
  FencedImage(const FencedImage&) = delete;
  FencedImage& operator=(const FencedImage&) = delete;

  Image* get() { return &image_; }
  Image& operator*() { return image_; }
  Image* operator->() { return &image_; }

  bool fences_intact() const {
    const std::size_t end = storage_.size() - fence;
    for (std::size_t i = 0; i < fence; ++i) {
      if (storage_[i] != guard || storage_[end + i] != guard) return false;
    }
    return true;
  }

 private:
  std::vector<uint32_t> storage_;
  Image image_{};
};

}  // namespace fx_levels
