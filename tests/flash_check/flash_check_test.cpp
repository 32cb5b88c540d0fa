// The flash checker on short synthetic videos around its limits, and the
// program's verdicts and exit statuses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flash_analysis.h"
#include "flash_report.h"
#include "support/child_process.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

constexpr int32_t W = 40, H = 30;

struct Rgb {
  uint8_t r, g, b;
};
constexpr Rgb black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0};
constexpr Rgb grey(uint8_t v) { return {v, v, v}; }

// The grey of relative luminance `l` (0 to 1), to the nearest byte.
Rgb grey_of(double l) {
  int32_t best = 0;
  double best_error = 0;
  for (int32_t v = 0; v < 256; ++v) {
    const double c = v / 255.0, lin = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    const double e = std::fabs(lin - l);
    if (v == 0 || e < best_error) best = v, best_error = e;
  }
  return grey(static_cast<uint8_t>(best));
}

// Luminance over frames: a swing between 0.2 and 0.4 (square or triangle,
// `period` frames), a fade from 0.05 to 0.75 over `period` frames, or 0.3
// throughout; a frame-to-frame flicker of +-`flicker` on top.
struct Profile {
  enum Shape { square, triangle, fade, flat } shape;
  int32_t period;
  double flicker;
  double at(int32_t i) const {
    const double phase = static_cast<double>(i % period) / period;
    double l = 0.3;
    if (shape == square) l = phase < 0.5 ? 0.2 : 0.4;
    if (shape == triangle) l = 0.2 + 0.4 * (phase < 0.5 ? phase : 1 - phase);
    if (shape == fade) l = 0.05 + 0.7 * std::min(1.0, static_cast<double>(i) / period);
    return l + (i % 2 ? flicker : -flicker);
  }
};

// A rectangle alternating between two colours every `half_period` frames
// (for the first `active` frames; then it stays), or grey following
// `profile`, over a black background.
struct Wave {
  int32_t fps;
  int32_t frames;
  int32_t half_period;
  Rgb low, high;
  int32_t w = W, h = H;  // the area, at the top left
  int32_t active = 1 << 30;
  std::optional<Profile> profile = std::nullopt;
};

std::vector<uint8_t> frame_of(const Wave& v, int32_t i) {
  const Rgb c = v.profile ? grey_of(v.profile->at(i)) : (std::min(i, v.active) / v.half_period) % 2 ? v.high : v.low;
  std::vector<uint8_t> f(static_cast<size_t>(W * H * 4), 0);
  for (int32_t y = 0; y < v.h; ++y) {
    for (int32_t x = 0; x < v.w; ++x) {
      uint8_t* p = &f[static_cast<size_t>((y * W + x) * 4)];
      p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 255;
    }
  }
  return f;
}

std::vector<uint8_t> video_of(const Wave& v) {
  std::vector<uint8_t> all;
  for (int32_t i = 0; i < v.frames; ++i) {
    const auto f = frame_of(v, i);
    all.insert(all.end(), f.begin(), f.end());
  }
  return all;
}

FlashVideo format_of(const Wave& v) { return {W, H, v.fps, 1}; }

FlashResult analyse(const Wave& v) {
  FlashAnalyser a(format_of(v));
  for (int32_t i = 0; i < v.frames; ++i) a.add_frame(frame_of(v, i).data());
  return a.result();
}

struct Case {
  const char* name;
  Wave wave;
  std::vector<FlashKind> fails;  // the kinds of the failing stretches; none: passes
  int32_t worst;                 // most transitions in one second
};

const Case cases[] = {
    {"three flashes a second pass", {24, 72, 4, black, white}, {}, 6},
    {"three and a half flashes fail", {42, 84, 6, black, white}, {FlashKind::luminance}, 7},
    {"four flashes a second fail", {24, 72, 3, black, white}, {FlashKind::luminance}, 8},
    {"darker state above 0.8 does not count", {24, 72, 1, grey(240), white}, {}, 0},
    {"the same swing from below 0.8 counts", {24, 72, 1, grey(200), white}, {FlashKind::luminance}, 24},
    {"under 0.1 on every quarter of the screen", {24, 72, 1, black, grey(108), W / 4, H / 2}, {}, 0},
    {"the same change over a quarter fails", {24, 72, 1, black, grey(108), W / 2, H / 2}, {FlashKind::luminance}, 24},
    {"a small area changing strongly fails", {24, 72, 1, black, white, W / 4, H / 2}, {FlashKind::luminance}, 24},
    {"saturated red against grey of its luminance", {24, 72, 1, grey(127), red}, {FlashKind::red}, 24},
    {"two flashes a second for six seconds", {20, 120, 5, black, white}, {FlashKind::extended}, 4},
    {"two flashes a second for three seconds", {20, 120, 5, black, white, W, H, 60}, {}, 4},
    // Swings between 0.2 and 0.4, twice the limit, counted between extremes.
    {"a triangle wave with a flicker", {60, 120, 1, black, black, W, H, 1 << 30, Profile{Profile::triangle, 15, 0.03}},
     {FlashKind::luminance}, 8},
    {"a square wave", {24, 72, 1, black, black, W, H, 1 << 30, Profile{Profile::square, 6, 0}},
     {FlashKind::luminance}, 8},
    {"the same square wave with a flicker", {24, 72, 1, black, black, W, H, 1 << 30, Profile{Profile::square, 6, 0.03}},
     {FlashKind::luminance}, 8},
    {"a flicker below the limit alone", {240, 480, 1, black, black, W, H, 1 << 30, Profile{Profile::flat, 1, 0.045}},
     {}, 0},
    {"a long fade with small reversals", {60, 240, 1, black, black, W, H, 1 << 30, Profile{Profile::fade, 120, 0.03}},
     {}, 1},
};

class FlashLimits : public testing::TestWithParam<Case> {};

TEST_P(FlashLimits, Verdict) {
  const Case& c = GetParam();
  const FlashResult r = analyse(c.wave);
  std::vector<FlashKind> kinds;
  for (const FlashStretch& s : r.stretches) {
    if (kinds.empty() || kinds.back() != s.kind) kinds.push_back(s.kind);
  }
  EXPECT_EQ(kinds, c.fails);
  EXPECT_EQ(std::max(r.worst_luminance, r.worst_red), c.worst);
  EXPECT_EQ(r.frames, c.wave.frames);
}

INSTANTIATE_TEST_SUITE_P(Synthetic, FlashLimits, testing::ValuesIn(cases), [](const auto& info) {
  std::string name = info.param.name;
  for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
});

TEST(FlashReport, StretchesAndVerdict) {
  const Wave fast{24, 72, 3, black, white};
  EXPECT_EQ(flash_report(format_of(fast), analyse(fast)),
            "0:00.000 - 0:03.000  luminance  8 transitions (4 flashes) in one second\n"
            "FAIL: 1 stretch, 3.000 s in all; up to 8 transitions (4 flashes) in one second\n");
  const Wave slow{24, 72, 4, black, white};
  EXPECT_EQ(flash_report(format_of(slow), analyse(slow)),
            "PASS: at most 6 transitions (3 flashes) in one second, 72 frames (0:03.000)\n");
}

// The program: a verdict on a file or standard input, 1 for unreadable
// input, 2 for a wrong command line.
TEST(FlashCheckProgram, ExitStatuses) {
  ScratchDir dir;
  const auto fast = video_of({24, 48, 3, black, white});
  write_file(dir.file("fast.raw"), fast);
  write_file(dir.file("slow.raw"), video_of({24, 48, 4, black, white}));
  write_file(dir.file("cut.raw"), std::vector<uint8_t>(fast.begin(), fast.end() - 7));
  write_file(dir.file("empty.raw"), {});
  const std::string size = std::to_string(W) + "x" + std::to_string(H);
  struct Run {
    std::vector<std::string> args;
    int status;
    const char* out_starts;  // or the message on standard error
  } runs[] = {
      {{"--fps", "24", "--size", size, "slow.raw"}, 0, "PASS:"},
      {{"--fps", "24", "--size", size, "fast.raw"}, 1, "0:00.000 - 0:02.000  luminance"},
      {{"--fps", "24", "--size", size, "cut.raw"}, 1, "sava-flash-check: cut.raw: ends inside frame 48"},
      {{"--fps", "24", "--size", size, "empty.raw"}, 1, "sava-flash-check: empty.raw: no frames"},
      {{"--fps", "24", "missing.raw"}, 1, "sava-flash-check: missing.raw: No such file"},
      {{"slow.raw"}, 2, "sava-flash-check: --fps is required"},
      {{"--fps", "0", "slow.raw"}, 2, "sava-flash-check: --fps takes"},
      {{"--fps", "24", "--size", "40", "slow.raw"}, 2, "sava-flash-check: --size takes WxH"},
      {{"--fps", "24", "--size", "8192x8192", "slow.raw"}, 2, "sava-flash-check: --size takes WxH"},
      {{"--fps", "24", "a.raw", "b.raw"}, 2, "sava-flash-check: more than one file"},
      {{"--fps", "24", "--fast", "slow.raw"}, 2, "sava-flash-check: unknown argument '--fast'"},
      {{"--fps", "24", "--size"}, 2, "sava-flash-check: --size needs a value"},
      {{"--help"}, 0, "usage: sava-flash-check"},
  };
  for (const Run& run : runs) {
    ChildLaunch launch;
    launch.program = SAVA_FLASH_CHECK_EXE;
    launch.args = run.args;
    launch.working_dir = dir.path();
    const ChildRun r = run_child(launch);
    SCOPED_TRACE(run.args.back());
    EXPECT_EQ(r.status(), run.status);
    const std::string& text = r.out.empty() ? r.err : r.out;
    EXPECT_EQ(text.rfind(run.out_starts, 0), 0u) << text;
  }
}

}  // namespace
