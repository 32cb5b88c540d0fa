// Peers for the effect benchmarks: memcpy and the corresponding pixman
// compositing operations over the same 400x300 frame.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int width = 400;
constexpr int height = 300;

std::vector<uint32_t> random_pixels(int w, int h, uint32_t seed) {
  std::vector<uint32_t> pixels(static_cast<std::size_t>(w) * h);
  std::mt19937 rng(seed);
  for (auto& p : pixels) p = static_cast<uint32_t>(rng());
  return pixels;
}

// A pixman image over a vector's pixels, released with the holder.
struct PixmanImage {
  std::vector<uint32_t> pixels;
  pixman_image_t* image = nullptr;

  PixmanImage(int w, int h, uint32_t seed) : pixels(random_pixels(w, h, seed)) {
    image = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, pixels.data(), w * 4);
  }
  ~PixmanImage() {
    if (image != nullptr) pixman_image_unref(image);
  }
  PixmanImage(const PixmanImage&) = delete;
  PixmanImage& operator=(const PixmanImage&) = delete;
};

void peer_memcpy(benchmark::State& state) {
  const auto src = random_pixels(width, height, 1);
  auto dst = random_pixels(width, height, 2);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), dst.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
}

void peer_composite(benchmark::State& state, pixman_op_t op) {
  PixmanImage src(width, height, 1);
  PixmanImage dst(width, height, 2);
  if (src.image == nullptr || dst.image == nullptr) {
    state.SkipWithError("pixman image creation failed");
    return;
  }
  for (auto _ : state) {
    pixman_image_composite32(op, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0, width, height);
    benchmark::DoNotOptimize(dst.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
}

void peer_add_solid(benchmark::State& state) {
  PixmanImage dst(width, height, 3);
  const pixman_color_t colour{0x8080, 0x6060, 0x2020, 0x8080};
  pixman_image_t* solid = pixman_image_create_solid_fill(&colour);
  if (solid == nullptr || dst.image == nullptr) {
    state.SkipWithError("pixman image creation failed");
    if (solid != nullptr) pixman_image_unref(solid);
    return;
  }
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_ADD, solid, nullptr, dst.image, 0, 0, 0, 0, 0, 0, width, height);
    benchmark::DoNotOptimize(dst.pixels.data());
    benchmark::ClobberMemory();
  }
  pixman_image_unref(solid);
  state.SetItemsProcessed(state.iterations() * width * height);
}

// 40x30 scaled up to 400x300 as a plain source copy.
void peer_scale(benchmark::State& state, pixman_filter_t filter) {
  PixmanImage src(40, 30, 4);
  PixmanImage dst(width, height, 5);
  if (src.image == nullptr || dst.image == nullptr) {
    state.SkipWithError("pixman image creation failed");
    return;
  }
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform, pixman_double_to_fixed(40.0 / width),
                              pixman_double_to_fixed(30.0 / height));
  pixman_image_set_transform(src.image, &transform);
  pixman_image_set_filter(src.image, filter, nullptr, 0);
  pixman_image_set_repeat(src.image, PIXMAN_REPEAT_PAD);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0, width, height);
    benchmark::DoNotOptimize(dst.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
}

BENCHMARK(peer_memcpy)->Name("peer/memcpy");
BENCHMARK_CAPTURE(peer_composite, src, PIXMAN_OP_SRC)->Name("peer/pixman_src");
BENCHMARK_CAPTURE(peer_composite, over, PIXMAN_OP_OVER)->Name("peer/pixman_over");
BENCHMARK_CAPTURE(peer_composite, add, PIXMAN_OP_ADD)->Name("peer/pixman_add");
BENCHMARK(peer_add_solid)->Name("peer/pixman_add_solid");
BENCHMARK_CAPTURE(peer_scale, nearest, PIXMAN_FILTER_NEAREST)->Name("peer/pixman_scale_nearest");
BENCHMARK_CAPTURE(peer_scale, bilinear, PIXMAN_FILTER_BILINEAR)->Name("peer/pixman_scale_bilinear");

}  // namespace
