// The whole show through the flash checker: as it is, it flashes too fast;
// with reduced flashing it passes, with our pictures and with other sets
// made from them, and most frames stay the show's own.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "flash_analysis.h"
#include "support/picture_variants.h"
#include "support/scratch_dir.h"

namespace {

constexpr size_t frame_bytes = 400 * 300 * 4;

struct Rendered {
  FlashResult result;
  std::vector<uint64_t> frame_hashes;
  int status = -1;
};

uint64_t fnv(const uint8_t* p, size_t n) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
  return h;
}

// The show rendered by sava-capture from `data` (by default the data the
// build generated), checked frame by frame as it streams in.
Rendered render(int32_t fps, const std::string& options, const std::string& data = SAVA_DATA_DIR) {
  const std::string command = "'" SAVA_CAPTURE_EXE "' --data '" + data + "' --fps " + std::to_string(fps) +
                              " --raw - " + options + " 2>/dev/null";
  Rendered r;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  FlashAnalyser analyser({400, 300, fps, 1});
  std::vector<uint8_t> frame(frame_bytes);
  while (std::fread(frame.data(), 1, frame_bytes, pipe) == frame_bytes) {
    analyser.add_frame(frame.data());
    r.frame_hashes.push_back(fnv(frame.data(), frame_bytes));
  }
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.result = analyser.result();
  return r;
}

bool fails_at(const FlashResult& r, int32_t fps, int64_t ms) {
  for (const FlashStretch& s : r.stretches) {
    if (s.kind == FlashKind::luminance && s.first_frame * 1000 / fps <= ms && ms <= s.last_frame * 1000 / fps) {
      return true;
    }
  }
  return false;
}

TEST(WholeShow, FailsAsItIsAndPassesWithReducedFlashing) {
  constexpr int32_t fps = 60;
  const Rendered plain = render(fps, "");
  const Rendered reduced = render(fps, "--reduce-flashing");
  ASSERT_EQ(plain.status, 0);
  ASSERT_EQ(reduced.status, 0);
  ASSERT_EQ(plain.frame_hashes.size(), 184u * fps);
  ASSERT_EQ(reduced.frame_hashes.size(), plain.frame_hashes.size());

  // The mobile computing scene's beat flashes and the blurred sequences' cuts.
  EXPECT_FALSE(plain.result.passes());
  EXPECT_GE(plain.result.worst_luminance, 12);
  for (const int64_t ms : {65500, 119000, 143000}) EXPECT_TRUE(fails_at(plain.result, fps, ms)) << ms;

  EXPECT_TRUE(reduced.result.passes()) << reduced.result.stretches.size() << " stretches, worst "
                                       << reduced.result.worst_luminance;
  // Most frames are the show's own; the softened ones still move.
  size_t same = 0, softened = 0, moving = 0;
  for (size_t i = 0; i < plain.frame_hashes.size(); ++i) {
    const bool identical = plain.frame_hashes[i] == reduced.frame_hashes[i];
    same += identical;
    if (!identical && i > 0) {
      ++softened;
      moving += reduced.frame_hashes[i] != reduced.frame_hashes[i - 1];
    }
  }
  EXPECT_GE(same * 4, plain.frame_hashes.size() * 3) << same << " of " << plain.frame_hashes.size();
  EXPECT_GE(moving * 10, softened * 7) << moving << " of " << softened;
  std::printf("frames identical to the show's own: %zu of %zu; softened frames unlike the one before: %zu of %zu\n",
              same, plain.frame_hashes.size(), moving, softened);
}

// Our pictures at a high frame rate and other picture sets at other rates,
// over stretches where the show flashes, each with a margin: at most one
// transition a second fewer than the limit.
TEST(WholeShow, OtherRatesAndPictureSetsPassWithAMarginWithReducedFlashing) {
  const struct {
    const char* set;  // "ours", or a PictureVariant's
    int32_t fps;
    int32_t from_ms, to_ms;
  } runs[] = {{"ours", 240, 40000, 75000},
              {"inverted", 144, 100000, 150000},
              {"noise", 25, 100000, 150000},
              {"noise", 240, 100000, 150000}};
  ScratchDir dir;
  for (const auto& run : runs) {
    std::string data = SAVA_DATA_DIR;
    if (run.set != std::string("ours")) {
      data = dir.file(run.set);
      if (!std::filesystem::exists(data)) {
        write_picture_variant(data, std::string(SAVA_DATA_DIR) + "/..",
                              run.set == std::string("inverted") ? PictureVariant::inverted : PictureVariant::noise);
      }
      data += "/data";
    }
    const Rendered reduced = render(run.fps,
                                    "--reduce-flashing --from " + std::to_string(run.from_ms) + " --to " +
                                        std::to_string(run.to_ms),
                                    data);
    SCOPED_TRACE(std::string(run.set) + " at " + std::to_string(run.fps));
    ASSERT_EQ(reduced.status, 0);
    EXPECT_LT(reduced.result.worst_luminance, flash_transitions_allowed) << reduced.result.stretches.size()
                                                                         << " stretches";
    EXPECT_LT(reduced.result.worst_red, flash_transitions_allowed);
    EXPECT_TRUE(reduced.result.passes());
  }
}

}  // namespace
