// The platform-free parts of the web player, checked natively: the capture
// schedule, the show's random sequence (checked
// against the native C library's), the surface layout told by masks, and the
// pictures decoded in slices.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "image/image_store.h"

#include "player/screen_convert.h"
#include "show/capture_plan.h"
#include "show/cue_table.h"
#include "base/reference_rand.h"
#include "player/web/picture_arrivals.h"
#include "music/decoder.h"
#include "player/web/scene_readiness.h"
#include "player/web/sound_readiness.h"
#include "player/web/surface_layout.h"
#include "support/files.h"
#include "support/pictures.h"
#include "support/scratch_dir.h"
#include "support/sound.h"

namespace {

TEST(WebReferenceRand, IsTheNativeLibrarysSequenceUnseededAndSeeded) {
#ifndef __GLIBC__
  GTEST_SKIP() << "the reference sequence is the one of this C library only";
#else
  // Never seeded is the same as seeded with 1.
  std::srand(1);
  ReferenceRand unseeded;
  for (int i = 0; i < 20000; ++i) ASSERT_EQ(unseeded.next(), std::rand()) << "value " << i;
  for (const unsigned seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    std::srand(seed);
    ReferenceRand seeded(seed);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(seeded.next(), std::rand()) << "seed " << seed << ", value " << i;
  }
#endif
}

TEST(WebCapturePlan, ParsesTheOfflineRenderersRangeAndRate) {
  auto parse = [](std::vector<const char*> args) {
    return read_page_capture(static_cast<int>(args.size()), args.data());
  };
  // No plan: no capture, and no failure.
  for (const auto& args : std::vector<std::vector<const char*>>{{}, {"--reduce-flashing"}}) {
    const auto none = parse(args);
    ASSERT_TRUE(none) << none.error();
    EXPECT_FALSE(*none);
  }

  const auto capture = parse({"--fps", "30000/1001", "--to", "1000", "--from", "500"});
  ASSERT_TRUE(capture && *capture) << (capture ? "no capture" : capture.error());
  EXPECT_EQ((*capture)->plan.from_ms, 500);
  EXPECT_EQ((*capture)->plan.to_ms, 1000);
  EXPECT_EQ((*capture)->plan.fps_num, 30000);
  EXPECT_EQ((*capture)->plan.fps_den, 1001);
  EXPECT_FALSE((*capture)->reduce_flashing);
  const auto defaults = parse({"--reduce-flashing", "--from", "183990"});
  ASSERT_TRUE(defaults && *defaults) << (defaults ? "no capture" : defaults.error());
  EXPECT_EQ((*defaults)->plan.to_ms, 184000);
  EXPECT_EQ((*defaults)->plan.fps_num, 60);
  EXPECT_TRUE((*defaults)->reduce_flashing);
  const auto most = parse({"--to", "1000000", "--fps", "1000"});  // the most frames
  EXPECT_TRUE(most && *most) << (most ? "no capture" : most.error());

  const std::vector<std::vector<const char*>> refused = {
      {"--fps", "0"},      {"--fps", "1001"},      {"--fps", "1/2"},  {"--fps", "60/"},
      {"--from", "-1"},    {"--to", "100000001"},  {"--to", "12ms"},  {"--from", "5", "--to", "5"},
      {"--from"},          {"--speed", "2"},       {"--reduce-flashing", "1", "--from", "5"},
      {"--to", "1000001", "--fps", "1000"},  // more frames than the page keeps hashes of
      {"--to", "100000000", "--fps", "1000"},
  };
  for (const auto& args : refused) {
    const auto failed = parse(args);
    ASSERT_FALSE(failed) << args[0];
    EXPECT_FALSE(failed.error().empty()) << args[0];
    EXPECT_EQ(failed.error().find('\n'), std::string::npos);
  }
}

TEST(WebCapturePlan, FramesAreThoseBeforeTheEndAtFromPlusIOverTheRate) {
  struct Case {
    CapturePlan plan;
    int64_t count;
    std::vector<int64_t> first_times;
    int64_t last_time;
  };
  const std::vector<Case> cases = {
      {{16000, 17000, 60, 1}, 60, {16000, 16016, 16033, 16050}, 16983},
      {{0, 1, 60, 1}, 1, {0}, 0},
      {{180000, 184000, 30, 1}, 120, {180000, 180033, 180066}, 183966},
      {{0, 1000, 30000, 1001}, 30, {0, 33, 66, 100}, 967},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(capture_frame_count(c.plan), c.count) << c.plan.from_ms << ".." << c.plan.to_ms;
    for (std::size_t i = 0; i < c.first_times.size(); ++i) {
      EXPECT_EQ(capture_frame_time(c.plan, static_cast<int64_t>(i)), c.first_times[i]);
    }
    EXPECT_EQ(capture_frame_time(c.plan, c.count - 1), c.last_time);
    EXPECT_GE(capture_frame_time(c.plan, c.count), c.plan.to_ms);
  }
}

TEST(WebSurfaceLayout, MasksPlaceEachChannelAndMakeFourBytePixelsOpaque) {
  const uint32_t pixel = 0x00123456;  // the show's word: red 0x12, green 0x34, blue 0x56, no alpha
  struct Case {
    int32_t bytes;
    uint32_t r, g, b;
    std::vector<uint8_t> expected;  // the pixel's bytes in memory
  };
  const std::vector<Case> cases = {
      {4, 0x000000FF, 0x0000FF00, 0x00FF0000, {0x12, 0x34, 0x56, 0xFF}},  // the web canvas: RGBA
      {4, 0x00FF0000, 0x0000FF00, 0x000000FF, {0x56, 0x34, 0x12, 0xFF}},  // the show's own order
      {2, 0xF800, 0x07E0, 0x001F, {0xAA, 0x11}},                          // 5-6-5
  };
  for (const Case& c : cases) {
    const PixelLayout layout = layout_from_masks(c.bytes, c.r, c.g, c.b);
    std::vector<uint8_t> out(static_cast<std::size_t>(c.bytes));
    convert_to_layout(&pixel, 1, 1, out.data(), c.bytes, layout);
    EXPECT_EQ(out, c.expected) << std::hex << c.r;
  }
  EXPECT_TRUE(layout_matches_screen(layout_from_masks(4, 0x00FF0000, 0x0000FF00, 0x000000FF), 1600, 400));
}

// A clock that moves 1 ms each time it is read, so that a slice of a 2 ms
// budget decodes one or two pictures.
double ticking_clock() {
  static double now = 0;
  return now += 1.0;
}

// Pictures arriving in any order end as one load gives them, each decoded
// into the place made for it at its listed size; a file that is missing,
// refused or not of its listed size, or a list the limits refuse, is refused
// with the store's wording and decodes nothing more.
TEST(WebPictureArrivals, EndAsOneLoadGivesThemOrRefuse) {
  struct Case {
    const char* what;
    int bad_index;               // -1: none
    std::vector<uint8_t> bytes;  // for the bad one; empty: the file is missing
    PictureArrivals::Size listed{0, 0};  // for the bad one, when not 0
    std::string refusal;         // part of the expected message
  };
  const std::vector<Case> cases = {
      {"all good", -1, {}, {}, ""},
      {"a missing file", 4, {}, {}, "Couldn't load"},
      {"a file no decoder takes", 2, std::vector<uint8_t>(300, 0xAB), {}, "Couldn't load"},
      {"a file not of its listed size", 3, {}, {9, 7}, "it is 11x6 pixels, the site lists it at 9x7"},
      {"a listed size no picture may be", 1, {}, {20000, 2}, "the site lists it at 20000x2"},
      {"a negative listed size", 5, {}, {-8, 6}, "the site lists it at -8x6"},
      {"listed sizes past the store's limit", 0, {}, {16384, 4096}, "Couldn't load the pictures"},
  };
  constexpr int count = 7;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    std::vector<std::string> names;
    std::vector<PictureArrivals::Size> sizes;
    for (int i = 0; i < count; ++i) {
      names.push_back(dir.file("pic" + std::to_string(i) + (i % 2 ? ".jpg" : ".png")));
      write_file(names.back(), i % 2 ? jpeg_picture(8 + i, 6) : png_picture(8 + i, 6));
      sizes.push_back({8 + i, 6});
    }
    if (c.bad_index >= 0 && c.listed.width != 0) {
      sizes[c.bad_index] = c.listed;
    } else if (c.bad_index >= 0 && c.bytes.empty()) {
      std::filesystem::remove(names[c.bad_index]);
    } else if (c.bad_index >= 0) {
      write_file(names[c.bad_index], c.bytes);
    }
    if (std::string(c.what) == "listed sizes past the store's limit") {
      for (auto& size : sizes) size = c.listed;
    }
    std::vector<const char*> paths;
    for (const std::string& name : names) paths.push_back(name.c_str());
    paths.push_back(nullptr);

    PictureArrivals arrivals(paths.data(), sizes);
    int slices = 1;
    while (!arrivals.make_places(2.0, ticking_clock)) ++slices;
    EXPECT_TRUE(slices == 1 || slices >= count / 2) << "each slice makes about two places";
    ImageStore store = arrivals.take_store();
    std::vector<int32_t> decoded;
    for (int i = count - 1; i >= 0 && arrivals.failure().empty(); --i) {
      arrivals.arrived(i);
      arrivals.arrived(i);  // told twice, decoded once
      do arrivals.decode_slice(2.0, ticking_clock, decoded);
      while (decoded.empty() && arrivals.failure().empty());
      if (arrivals.failure().empty()) {
        EXPECT_EQ(decoded, std::vector<int32_t>{i});
      }
    }
    if (!c.refusal.empty()) {
      EXPECT_NE(arrivals.failure().find(c.refusal), std::string::npos) << arrivals.failure();
      continue;
    }
    EXPECT_EQ(arrivals.failure(), "");
    EXPECT_EQ(arrivals.done(), count);
    ImageStore whole;
    ASSERT_TRUE(whole.load(paths.data()).loaded());
    ASSERT_EQ(store.size(), count);
    for (int i = 0; i < count; ++i) {
      EXPECT_TRUE(arrivals.decoded(i));
      ASSERT_EQ(store[i]->width, whole[i]->width);
      ASSERT_EQ(store[i]->height, whole[i]->height);
      EXPECT_EQ(0, std::memcmp(store[i]->pixels, whole[i]->pixels, 4u * whole[i]->width * whole[i]->height)) << i;
    }
  }
}

// A large picture's place is made, and the picture decoded, over many
// slices, each ending a unit of work (a block of words, a row) after its
// budget; the place is blank until then, and the picture is told once, when
// done.
TEST(WebPictureArrivals, ALargePictureIsSpreadOverSlices) {
  ScratchDir dir;
  const std::vector<std::string> names = {dir.file("small.png"), dir.file("large.jpg"), dir.file("large.png")};
  write_file(names[0], png_picture(8, 6));
  write_file(names[1], jpeg_picture(64, 48));
  write_file(names[2], png_picture(160, 120));
  const std::vector<const char*> paths = {names[0].c_str(), names[1].c_str(), names[2].c_str(), nullptr};
  const std::vector<PictureArrivals::Size> sizes = {{8, 6}, {64, 48}, {160, 120}};
  PictureArrivals arrivals(paths.data(), sizes);
  int made = 1;
  while (!arrivals.make_places(1.0, ticking_clock)) ++made;
  EXPECT_EQ(made, 4) << "a block a slice, the largest place in two";
  ImageStore store = arrivals.take_store();
  for (int i = 0; i < 3; ++i) {
    const std::vector<uint32_t> blank(static_cast<size_t>(store[i]->width) * store[i]->height, 0);
    EXPECT_EQ(0, std::memcmp(store[i]->pixels, blank.data(), 4 * blank.size())) << i;
  }
  std::vector<int32_t> decoded, told;
  int slices = 0;
  for (int32_t index : {2, 1, 0}) arrivals.arrived(index);
  while (arrivals.waiting() && slices < 1000) {
    arrivals.decode_slice(3.0, ticking_clock, decoded);
    told.insert(told.end(), decoded.begin(), decoded.end());
    ++slices;
  }
  EXPECT_EQ(told, (std::vector<int32_t>{2, 1, 0}));
  EXPECT_GT(slices, 120 / 2) << "a few rows a slice";
  ImageStore whole;
  ASSERT_TRUE(whole.load(paths.data()).loaded());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(0, std::memcmp(store[i]->pixels, whole[i]->pixels, 4u * whole[i]->width * whole[i]->height)) << i;
  }
}

TEST(WebSceneReadiness, ReadyScenesAreTheirCuesStretchesWithNeighboursJoined) {
  const auto at = [](int cue) { return cue_table[cue].time_ms; };
  struct Row {
    std::vector<bool> ready;
    std::vector<std::pair<int32_t, int32_t>> stretches;
  };
  const Row rows[] = {
      {{}, {}},
      {{true}, {{at(0), at(1)}}},
      {{true, true, false, true}, {{at(0), at(2)}, {at(3), at(4)}}},
      {std::vector<bool>(cue_count, true), {{at(0), at(cue_count - 1)}}},
  };
  for (const Row& row : rows) {
    std::vector<std::pair<int32_t, int32_t>> got;
    for (const ShowStretch& s : ready_stretches(row.ready)) got.emplace_back(s.from_ms, s.to_ms);
    EXPECT_EQ(got, row.stretches);
  }
}

using Stretches = std::vector<std::pair<int32_t, int32_t>>;
Stretches pairs(const std::vector<ShowStretch>& stretches) {
  Stretches out;
  for (const ShowStretch& s : stretches) out.emplace_back(s.from_ms, s.to_ms);
  return out;
}

TEST(WebSoundReadiness, CommonStretchesAreWhereBothAre) {
  const std::vector<ShowStretch> scenes = {{0, 8000}, {16000, 30000}, {40000, 50000}};
  EXPECT_EQ(pairs(common_stretches(scenes, {{0, 184000}})), pairs(scenes));
  EXPECT_EQ(pairs(common_stretches(scenes, {})), Stretches{});
  EXPECT_EQ(pairs(common_stretches(scenes, {{5000, 20000}, {29000, 45000}})),
            (Stretches{{5000, 8000}, {16000, 20000}, {29000, 30000}, {40000, 45000}}));
}

TEST(WebSoundReadiness, SoundIsReadyWhereItsBytesAreHereBarASecondBeforeAGap) {
  // 10 s of music, repeated over the show: nothing here, its first half, all.
  const auto [mp3, index] = indexed_vbr_track(441000, 8);
  Soundtrack music;
  ASSERT_TRUE(music.open_stream(index, 8192, "data/rinnu.mp3").ok());
  const int32_t end = cue_table[cue_count - 1].time_ms;
  EXPECT_EQ(pairs(sound_stretches(music, end)), Stretches{});
  music.add_bytes(0, mp3.data(), static_cast<int64_t>(mp3.size() / 2));
  const std::vector<ShowStretch> half = sound_stretches(music, end);
  ASSERT_EQ(half.size(), static_cast<size_t>(end / 10000 + 1));
  for (size_t k = 0; k < half.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(half[k].from_ms, static_cast<int32_t>(k) * 10000);
    EXPECT_GT(half[k].to_ms - half[k].from_ms, 2500);
    if (half[k].to_ms < end) {
      EXPECT_LT(half[k].to_ms - half[k].from_ms, 5000 - web_sound_margin_ms);
    }
  }
  music.add_bytes(0, mp3.data(), static_cast<int64_t>(mp3.size()));
  EXPECT_EQ(pairs(sound_stretches(music, end)), (Stretches{{0, end}}));
}

}  // namespace
