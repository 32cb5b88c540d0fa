// Per-frame cost of the mask, smear and blur effects on a 400 x 300 image,
// each run through its effect object as the frame loop would.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "effects/blur.h"
#include "effects/mask.h"
#include "effects/smear.h"
#include "image/image.h"

namespace {

constexpr int32_t width = 400;
constexpr int32_t height = 300;

struct OwnedImage {
  Image owned = Image::create(width, height).value();
  Image* image = &owned;
  explicit OwnedImage(uint32_t seed) {
    std::mt19937 rng(seed);
    for (int32_t i = 0; i < width * height; ++i) image->pixels[i] = static_cast<uint32_t>(rng());
  }
  OwnedImage(const OwnedImage&) = delete;
  OwnedImage& operator=(const OwnedImage&) = delete;
};

// An effect object of State's type, rendered through its render slot as
// the frame step does.
template <class State>
struct OwnedObject {
  EffectPtr object = effect_create(EffectType<State>::init, nullptr);
  State& state() { return *effect_state<State>(*object); }
  void render() { object->render(object->state, 0); }
};

// Mixed mask bytes: a quarter 255, a quarter 0, the rest anything.
MaskBytes mixed_mask(int32_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  MaskBytes mask(static_cast<std::size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t r = rng();
    mask[i] = (r & 3u) == 0 ? 255 : (r & 3u) == 1 ? 0 : static_cast<uint8_t>(r >> 8);
  }
  return mask;
}

void set_frame_counter(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * width * height);
}

void bm_rowmask(benchmark::State& state) {
  OwnedImage image(1);
  OwnedObject<RowMaskState> mask;
  mask.state() = RowMaskState{image.image, 0, 0, width, height, mixed_mask(height, 2)};
  for (auto _ : state) {
    mask.render();
    benchmark::DoNotOptimize(image.image->pixels);
    benchmark::ClobberMemory();
  }
  set_frame_counter(state);
}

void bm_columnmask(benchmark::State& state) {
  OwnedImage image(3);
  OwnedObject<ColumnMaskState> mask;
  mask.state() = ColumnMaskState{image.image, 0, 0, width, height, mixed_mask(width, 4)};
  for (auto _ : state) {
    mask.render();
    benchmark::DoNotOptimize(image.image->pixels);
    benchmark::ClobberMemory();
  }
  set_frame_counter(state);
}

void bm_hblur(benchmark::State& state, int32_t size) {
  OwnedImage src(5), dst(6);
  OwnedObject<HorizontalBlurState> blur;
  blur.state() = HorizontalBlurState{src.image, dst.image, size};
  for (auto _ : state) {
    blur.render();
    benchmark::DoNotOptimize(dst.image->pixels);
    benchmark::ClobberMemory();
  }
  set_frame_counter(state);
}

void bm_vblur(benchmark::State& state, int32_t size) {
  OwnedImage src(7), dst(8);
  OwnedObject<VerticalBlurState> blur;
  blur.state() = VerticalBlurState{src.image, dst.image, size};
  for (auto _ : state) {
    blur.render();
    benchmark::DoNotOptimize(dst.image->pixels);
    benchmark::ClobberMemory();
  }
  set_frame_counter(state);
}

// The traffic scene's kind of smear: 250 columns of every row from one column.
void bm_columnsmear(benchmark::State& state) {
  OwnedImage image(9);
  OwnedObject<ColumnSmearState> smear;
  smear.state() = ColumnSmearState{image.image, 150, 250};
  for (auto _ : state) {
    smear.render();
    benchmark::DoNotOptimize(image.image->pixels);
    benchmark::ClobberMemory();
  }
  set_frame_counter(state);
}

// The keyword scenes' smear: rows 185 to 299 repeat row 185.
void bm_rowsmear(benchmark::State& state) {
  OwnedImage image(10);
  OwnedObject<RowSmearState> smear;
  smear.state() = RowSmearState{image.image, 185, height - 185};
  for (auto _ : state) {
    smear.render();
    benchmark::DoNotOptimize(image.image->pixels);
    benchmark::ClobberMemory();
  }
  set_frame_counter(state);
}

[[maybe_unused]] const bool registered = [] {
  benchmark::RegisterBenchmark("effects/rowmask", bm_rowmask)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("effects/columnmask", bm_columnmask)->Unit(benchmark::kMicrosecond);
  for (int32_t size : {3, 51, 251}) {
    const std::string n = std::to_string(size);
    benchmark::RegisterBenchmark(("effects/hblur/" + n).c_str(), bm_hblur, size)->Unit(benchmark::kMicrosecond);
  }
  for (int32_t size : {3, 51, 251}) {
    const std::string n = std::to_string(size);
    benchmark::RegisterBenchmark(("effects/vblur/" + n).c_str(), bm_vblur, size)->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("effects/columnsmear", bm_columnsmear)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("effects/rowsmear", bm_rowsmear)->Unit(benchmark::kMicrosecond);
  return true;
}();

}  // namespace
