// The fast Compositor against the plain per-pixel reference, at every
// instruction-set level: exhaustive channel checks of the per-pixel rules,
// and seeded random pictures, rectangles, opacities and positions
// (negative, clipped, outside the source, drawn onto the same image).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "compositor_reference.h"
#include "effects/blend_kernels.h"
#include "effects/compositor.h"
#include "effects/kernel_dispatch.h"
#include "effects/pixel_ops.h"
#include "effects/scale_kernels.h"
#include "effects_test_util.h"

using test_util::make_image;

namespace {

// Runs the body at each level the processor has, restoring the choice after.
class EachLevel : public ::testing::TestWithParam<SimdLevel> {
 protected:
  void SetUp() override {
    saved_ = simd_level();
    if (!simd_level_supported(GetParam())) {
      GTEST_SKIP() << simd_level_name(GetParam()) << " not in this build or not on this processor";
    }
    set_simd_level(GetParam());
  }
  void TearDown() override { set_simd_level(saved_); }

 private:
  SimdLevel saved_ = SimdLevel::scalar;
};

std::string level_name(const ::testing::TestParamInfo<SimdLevel>& info) {
  return simd_level_name(info.param);
}

// Rows of pixel pairs covering every source channel value against every
// destination channel value (256 x 256 pairs per alpha), the three colour
// channels carrying different combinations so carries between them show.
void channel_pairs(uint32_t alpha, std::vector<uint32_t>& src, std::vector<uint32_t>& dst) {
  src.resize(65536);
  dst.resize(65536);
  for (uint32_t s = 0; s < 256; ++s) {
    for (uint32_t d = 0; d < 256; ++d) {
      const uint32_t i = s * 256 + d;
      src[i] = (alpha << 24) | (s << 16) | ((255 - s) << 8) | (s ^ 0x5A);
      dst[i] = ((d * 7) & 0xFF) << 24 | (d << 16) | (((d + 128) & 0xFF) << 8) | (255 - d);
    }
  }
}

}  // namespace

TEST(PixelRules, SaturatingAddMatchesChannelRuleExhaustively) {
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t b = 0; b < 256; ++b) {
      const uint32_t x = (a << 16) | (b << 8) | a;
      const uint32_t y = (b << 16) | (a << 8) | (255 - b);
      const uint32_t want = 0xFF000000u | (reference::saturate(a, b) << 16) |
                            (reference::saturate(b, a) << 8) | reference::saturate(a, 255 - b);
      ASSERT_EQ(saturating_add(x | 0x7F000000u, y | 0x80000000u), want) << a << " " << b;
    }
  }
}

TEST(PixelRules, LerpBytesMatchesChannelRule) {
  std::mt19937 rng(11);
  for (uint32_t f = 0; f < 256; ++f) {
    for (int n = 0; n < 2000; ++n) {
      const uint32_t p = rng(), q = rng();
      ASSERT_EQ(lerp_bytes(p, q, f), reference::lerp(p, q, f));
    }
    ASSERT_EQ(lerp_bytes(0xFFFFFFFFu, 0xFFFFFFFFu, f), reference::lerp(0xFFFFFFFFu, 0xFFFFFFFFu, f));
  }
}

TEST_P(EachLevel, BlendRowsMatchChannelRulesExhaustively) {
  // Every (source channel, destination channel) pair for a spread of alphas
  // and opacities including the extremes, then every (alpha, k) pair on
  // random words.
  const BlendKernels& kernels = blend_kernels();
  std::vector<uint32_t> src, dst, out;
  const uint32_t ks[] = {2, 3, 64, 128, 129, 200, 201, 255, 256};
  for (uint32_t alpha : {0u, 1u, 63u, 127u, 128u, 200u, 254u, 255u}) {
    channel_pairs(alpha, src, dst);
    for (uint32_t k : ks) {
      out = dst;
      kernels.alpha_row(out.data(), src.data(), 65536, k);
      for (int i = 0; i < 65536; ++i) ASSERT_EQ(out[i], reference::blend0(src[i], dst[i], k)) << i;
      out = dst;
      kernels.add_row(out.data(), src.data(), 65536, k);
      for (int i = 0; i < 65536; ++i) ASSERT_EQ(out[i], reference::blend1(src[i], dst[i], k)) << i;
      if (k < 256) {
        kernels.replace_row(out.data(), src.data(), 65536, k);
        for (int i = 0; i < 65536; ++i) ASSERT_EQ(out[i], reference::blend2(src[i], k)) << i;
      }
    }
  }
  std::mt19937 rng(21);
  src.resize(259);  // not a multiple of the block sizes: tails too
  dst.resize(259);
  for (uint32_t k = 2; k <= 256; ++k) {
    for (uint32_t alpha = 0; alpha < 256; ++alpha) {
      for (std::size_t i = 0; i < src.size(); ++i) {
        src[i] = (alpha << 24) | (rng() & 0xFFFFFFu);
        dst[i] = rng();
      }
      out = dst;
      kernels.alpha_row(out.data(), src.data(), 259, k);
      for (int i = 0; i < 259; ++i) ASSERT_EQ(out[i], reference::blend0(src[i], dst[i], k));
      out = dst;
      kernels.add_row(out.data(), src.data(), 259, k);
      for (int i = 0; i < 259; ++i) ASSERT_EQ(out[i], reference::blend1(src[i], dst[i], k));
      if (k < 256) {
        kernels.replace_row(out.data(), src.data(), 259, k);
        for (int i = 0; i < 259; ++i) ASSERT_EQ(out[i], reference::blend2(src[i], k));
      }
    }
  }
}

TEST_P(EachLevel, AddColourRowMatchesChannelRule) {
  const BlendKernels& kernels = blend_kernels();
  std::vector<uint32_t> dst(16384 + 3), out;
  for (uint32_t i = 0; i < dst.size(); ++i) dst[i] = (i * 0x9E3779B9u) ^ (i << 8) ^ i;
  for (uint32_t strength = 0; strength < 256; ++strength) {
    for (uint32_t c : {0x000000u, 0xFFFFFFu, 0x808080u, 0x01FE7Fu, 0x3C99E1u}) {
      const uint32_t colour = (strength << 24) | c;
      out = dst;
      kernels.add_colour_row(out.data(), static_cast<int32_t>(out.size()),
                             scale_rgb(colour, strength + 1));
      for (std::size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(out[i], reference::add_colour(dst[i], colour)) << std::hex << colour << " " << i;
      }
    }
  }
}

TEST_P(EachLevel, ScaleRowsMatchChannelRules) {
  const ScaleKernels& kernels = scale_kernels();
  std::mt19937 rng(31);
  std::vector<uint32_t> row(97), top(203), bottom(203), out(203), fx(203);
  std::vector<int32_t> col0(203), col1(203);
  for (int round = 0; round < 200; ++round) {
    for (auto& p : row) p = rng();
    for (auto& p : top) p = rng();
    for (auto& p : bottom) p = rng();
    for (int i = 0; i < 203; ++i) {
      col0[i] = static_cast<int32_t>(rng() % 97);
      col1[i] = static_cast<int32_t>(rng() % 97);
      fx[i] = (rng() & 0xFFu) * 0x10001u;
    }
    const int32_t n = 1 + static_cast<int32_t>(rng() % 203);
    kernels.nearest_row(out.data(), row.data(), col0.data(), n);
    for (int i = 0; i < n; ++i) ASSERT_EQ(out[i], row[col0[i]]);
    kernels.mix_columns_row(out.data(), row.data(), col0.data(), col1.data(), fx.data(), n);
    for (int i = 0; i < n; ++i) ASSERT_EQ(out[i], reference::lerp(row[col0[i]], row[col1[i]], fx[i] & 0xFF));
    const uint32_t fy = rng() & 0xFFu;
    kernels.mix_rows_row(out.data(), top.data(), bottom.data(), n, fy);
    for (int i = 0; i < n; ++i) ASSERT_EQ(out[i], reference::lerp(top[i], bottom[i], fy));
  }
}

namespace {

struct RandomCase {
  int32_t dst_w, dst_h, src_w, src_h;
  bool same;
  CompositorState st;
};

int32_t pick(std::mt19937& rng, int32_t lo, int32_t hi) {
  return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
}

uint8_t pick_opacity(std::mt19937& rng) {
  switch (rng() % 4) {
    case 0: return 0;
    case 1: return 255;
    default: return static_cast<uint8_t>(rng());
  }
}

RandomCase make_case(std::mt19937& rng, bool scaled) {
  RandomCase c{};
  const bool big = rng() % 8 == 0;
  c.dst_w = big ? 400 : pick(rng, 1, 70);
  c.dst_h = big ? 300 : pick(rng, 1, 50);
  c.same = rng() % 3 == 0;
  c.src_w = c.same ? c.dst_w : pick(rng, 1, 90);
  c.src_h = c.same ? c.dst_h : pick(rng, 1, 60);
  CompositorState& st = c.st;
  // Mostly rectangles inside the source, as the show draws them; some leave it.
  const bool inside = rng() % 4 != 0;
  st.src_w = inside ? pick(rng, 0, c.src_w) : pick(rng, -2, c.src_w + 10);
  st.src_h = inside ? pick(rng, 0, c.src_h) : pick(rng, -2, c.src_h + 10);
  st.src_x = inside ? pick(rng, 0, c.src_w - std::max(st.src_w, 0)) : pick(rng, -12, c.src_w + 2);
  st.src_y = inside ? pick(rng, 0, c.src_h - std::max(st.src_h, 0)) : pick(rng, -12, c.src_h + 2);
  if (scaled) {
    st.dst_w = pick(rng, 0, c.dst_w * 2);
    st.dst_h = pick(rng, 0, c.dst_h * 2);
    if (st.dst_w == st.src_w && st.dst_h == st.src_h) ++st.dst_w;
    if (inside && st.smooth == 0 && rng() % 2) {
      // Keep bilinear neighbours inside too for some cases.
      st.src_w = std::max(0, st.src_w - 1);
    }
  } else {
    st.dst_w = st.src_w;
    st.dst_h = st.src_h;
  }
  st.dst_x = pick(rng, -c.dst_w / 2 - 3, c.dst_w + 1);
  st.dst_y = pick(rng, -c.dst_h / 2 - 3, c.dst_h + 1);
  if (c.same && rng() % 2) {
    // Overlapping self-draws: small offsets, often on the same rows.
    st.dst_x = st.src_x + pick(rng, -3, 3);
    st.dst_y = rng() % 2 ? st.src_y : st.src_y + pick(rng, -3, 3);
  }
  if (!c.same && !scaled && rng() % 5 == 0) {
    // Whole rows of two images of one width, drawn as one run.
    c.src_w = c.dst_w;
    c.src_h = pick(rng, 1, c.dst_h + 5);
    st.src_x = st.dst_x = 0;
    st.src_w = st.dst_w = c.dst_w;
    st.src_y = pick(rng, -2, c.src_h - 1);
  }
  st.opacity = pick_opacity(rng);
  st.blend = static_cast<blend::Rule>(rng() % 8 == 0 ? 3 + rng() % 200 : rng() % 3);
  st.smooth = static_cast<uint8_t>(rng() % 2 ? 0 : 1 + rng() % 255);
  return c;
}

// Draws each case with the fast render and the reference and compares the
// destination.
void run_cases(bool scaled, uint32_t seed, int count) {
  std::mt19937 rng(seed);
  for (int n = 0; n < count; ++n) {
    RandomCase c = make_case(rng, scaled);
    auto dst = make_image(c.dst_w, c.dst_h);
    test_util::fill_random_alpha_mix(*dst, rng());
    auto src = make_image(c.src_w, c.src_h);
    test_util::fill_random_alpha_mix(*src, rng());
    auto expected = test_util::clone_image(*dst);
    auto expected_src = test_util::clone_image(*src);

    CompositorState fast = c.st;
    fast.src = c.same ? dst.get() : src.get();
    fast.dst = dst.get();
    CompositorState slow = c.st;
    slow.src = c.same ? expected.get() : expected_src.get();
    slow.dst = expected.get();
    compositor_render(fast, 0);
    reference::render(slow);

    const std::string name = std::string(scaled ? "scaled" : "one_to_one") + "_" +
                             simd_level_name(simd_level()) + "_case" + std::to_string(n);
    EXPECT_TRUE(test_util::images_equal(*dst, *expected, name))
        << "src " << c.src_w << "x" << c.src_h << (c.same ? " (same image)" : "") << " dst "
        << c.dst_w << "x" << c.dst_h << " rect src(" << c.st.src_x << "," << c.st.src_y << " "
        << c.st.src_w << "x" << c.st.src_h << ") dst(" << c.st.dst_x << "," << c.st.dst_y << " "
        << c.st.dst_w << "x" << c.st.dst_h << ") opacity " << int(c.st.opacity) << " blend "
        << int(c.st.blend) << " smooth " << int(c.st.smooth);
    if (::testing::Test::HasFailure()) break;
  }
}

}  // namespace

TEST_P(EachLevel, RandomOneToOneMatchesReference) { run_cases(false, 1234, 1500); }

TEST_P(EachLevel, RandomScaledMatchesReference) { run_cases(true, 5678, 1500); }

TEST_P(EachLevel, FeedbackZoomOntoItselfMatchesReference) {
  // The scenes' feedback zooms: the screen drawn onto itself slightly
  // enlarged or reduced, rows reading rows already written.
  std::mt19937 rng(77);
  for (int n = 0; n < 24; ++n) {
    auto img = make_image(400, 300);
    test_util::fill_random(*img, rng());
    auto expected = test_util::clone_image(*img);
    CompositorState st{};
    const int32_t inset = pick(rng, -20, 20);
    st.src_x = std::max(0, inset);
    st.src_y = std::max(0, inset);
    st.src_w = 400 - 2 * std::max(0, inset) - 1;
    st.src_h = 300 - 2 * std::max(0, inset) - 1;
    st.dst_x = std::max(0, -inset);
    st.dst_y = std::max(0, -inset);
    st.dst_w = 400 - 2 * std::max(0, -inset);
    st.dst_h = 300 - 2 * std::max(0, -inset);
    st.opacity = 255;
    st.smooth = static_cast<uint8_t>(n % 2);
    CompositorState slow = st;
    st.src = st.dst = img.get();
    slow.src = slow.dst = expected.get();
    compositor_render(st, 0);
    reference::render(slow);
    ASSERT_TRUE(test_util::images_equal(*img, *expected, "feedback_zoom_" + std::to_string(n)))
        << "inset " << inset << " smooth " << int(st.smooth);
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, EachLevel,
                         ::testing::Values(SimdLevel::scalar, SimdLevel::sse2, SimdLevel::avx2),
                         level_name);
