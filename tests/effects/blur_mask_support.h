// Test support for the effect tests: the instruction-set levels available
// on this machine, a guard that selects one for the duration of a test,
// images fenced by guard words that show any write (or, under the
// sanitizers, read) outside the pixel array, and drawing a state record
// through an object of its type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/effect_type.h"
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

// Draws `state` through an object of its effect type, as the frame step does.
template <class State>
void render_object(State state) {
  EffectPtr object = effect_create(EffectType<State>::init, nullptr);
  *effect_state<State>(*object) = std::move(state);
  object->render(object->state, 0);
}

}  // namespace fx_levels
