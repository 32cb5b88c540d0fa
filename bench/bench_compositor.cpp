// Compositor and AddFill over a full 400x300 frame, one render call per
// iteration. The unprefixed names run at the best instruction-set level;
// the sse2/ variants show the x86-64 baseline.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include "effects/add_fill.h"
#include "effects/compositor.h"
#include "effects/kernel_dispatch.h"
#include "image/image.h"

namespace {

constexpr int32_t width = 400;
constexpr int32_t height = 300;

ImagePtr random_image(int32_t w, int32_t h, uint32_t seed) {
  auto image = std::make_unique<Image>(Image::create(w, h).value());
  std::mt19937 rng(seed);
  for (int32_t i = 0; i < w * h; ++i) image->pixels[i] = static_cast<uint32_t>(rng());
  return image;
}

// Sets the level for one benchmark and restores it afterwards.
class LevelScope {
 public:
  explicit LevelScope(SimdLevel level) : saved_(simd_level()) { set_simd_level(level); }
  ~LevelScope() { set_simd_level(saved_); }
  LevelScope(const LevelScope&) = delete;
  LevelScope& operator=(const LevelScope&) = delete;

 private:
  SimdLevel saved_;
};

void run_compositor(benchmark::State& state, SimdLevel level, int32_t src_w, int32_t src_h,
                    uint8_t opacity, blend::Rule blend, uint8_t smooth) {
  LevelScope scope(level);
  ImagePtr src = random_image(src_w, src_h, 1);  // alpha varies pixel by pixel
  ImagePtr dst = random_image(width, height, 2);
  CompositorState st{};
  st.src = src.get();
  st.dst = dst.get();
  st.src_w = src_w;
  st.src_h = src_h;
  st.dst_w = width;
  st.dst_h = height;
  st.opacity = opacity;
  st.blend = blend;
  st.smooth = smooth;
  for (auto _ : state) {
    compositor_render(st, 0);
    benchmark::DoNotOptimize(dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
}

// A rectangle of a 400x300 picture scaled to the whole 400x300 frame.
void run_compositor_rect(benchmark::State& state, SimdLevel level, int32_t src_x, int32_t src_y,
                         int32_t src_w, int32_t src_h, uint8_t smooth) {
  LevelScope scope(level);
  ImagePtr src = random_image(width, height, 5);
  ImagePtr dst = random_image(width, height, 6);
  CompositorState st{};
  st.src = src.get();
  st.dst = dst.get();
  st.src_x = src_x;
  st.src_y = src_y;
  st.src_w = src_w;
  st.src_h = src_h;
  st.dst_w = width;
  st.dst_h = height;
  st.opacity = 255;
  st.blend = blend::replace;
  st.smooth = smooth;
  for (auto _ : state) {
    compositor_render(st, 0);
    benchmark::DoNotOptimize(dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
}

// The screen zoomed onto itself, as the scenes' feedback zooms do: the
// source is a slightly smaller centred rectangle of the same image.
void run_feedback_zoom(benchmark::State& state, SimdLevel level, uint8_t smooth) {
  LevelScope scope(level);
  ImagePtr screen = random_image(width, height, 4);
  CompositorState st{};
  st.src = screen.get();
  st.dst = screen.get();
  st.src_x = 8;
  st.src_y = 6;
  st.src_w = width - 16;
  st.src_h = height - 12;
  st.dst_w = width;
  st.dst_h = height;
  st.opacity = 255;
  st.smooth = smooth;
  for (auto _ : state) {
    compositor_render(st, 0);
    benchmark::DoNotOptimize(screen->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
}

void run_add_fill(benchmark::State& state, SimdLevel level) {
  LevelScope scope(level);
  ImagePtr dst = random_image(width, height, 3);
  AddFillState st{dst.get(), 0x80FFC040u, 0, 0, width, height};
  for (auto _ : state) {
    add_fill_render(st, 0);
    benchmark::DoNotOptimize(dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
}

void register_all(const char* prefix, SimdLevel level) {
  auto name = [prefix](const char* op) { return std::string(prefix) + op; };
  benchmark::RegisterBenchmark(name("copy").c_str(), run_compositor, level, width, height, 255, blend::replace, 0);
  benchmark::RegisterBenchmark(name("replace128").c_str(), run_compositor, level, width, height, 128, blend::replace, 0);
  benchmark::RegisterBenchmark(name("blend0").c_str(), run_compositor, level, width, height, 200, blend::alpha, 0);
  benchmark::RegisterBenchmark(name("blend1").c_str(), run_compositor, level, width, height, 200, blend::add, 0);
  benchmark::RegisterBenchmark(name("scale_nearest").c_str(), run_compositor, level, 40, 30, 255, blend::alpha, 0);
  benchmark::RegisterBenchmark(name("scale_bilinear").c_str(), run_compositor, level, 40, 30, 255, blend::alpha, 1);
  benchmark::RegisterBenchmark(name("addfill").c_str(), run_add_fill, level);
  // The title card's zoom: the centre half of a 400x300 picture enlarged twice.
  benchmark::RegisterBenchmark(name("zoom2x_bilinear").c_str(), run_compositor_rect, level, 100, 75, 200, 150, 1);
  benchmark::RegisterBenchmark(name("feedback_zoom_nearest").c_str(), run_feedback_zoom, level, 0);
  benchmark::RegisterBenchmark(name("feedback_zoom_bilinear").c_str(), run_feedback_zoom, level, 1);
}

const bool registered = [] {
  register_all("effects/", best_simd_level());
  if (best_simd_level() != SimdLevel::sse2 && simd_level_supported(SimdLevel::sse2)) {
    register_all("effects/sse2/", SimdLevel::sse2);
  }
  return true;
}();

}  // namespace
