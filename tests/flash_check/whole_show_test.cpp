// The whole show at 60 fps through the flash checker: as it is, it flashes
// too fast in the stretches the reduced-flashing mode dims; with the mode it
// passes, and every frame outside those stretches is the show's own.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "flash_analysis.h"
#include "show/reduced_flashing.h"

namespace {

constexpr int32_t fps = 60;
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

// The show rendered by sava-capture (from the data the build generated),
// checked frame by frame as it streams in.
Rendered render(const std::string& options) {
  const std::string command = "'" SAVA_CAPTURE_EXE "' --data '" SAVA_DATA_DIR "' --fps " + std::to_string(fps) +
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

bool fails_at(const FlashResult& r, int64_t ms) {
  for (const FlashStretch& s : r.stretches) {
    if (s.kind == FlashKind::luminance && s.first_frame * 1000 / fps <= ms && ms <= s.last_frame * 1000 / fps) {
      return true;
    }
  }
  return false;
}

TEST(WholeShow, FailsAsItIsAndPassesWithReducedFlashing) {
  const Rendered plain = render("");
  const Rendered reduced = render("--reduce-flashing");
  ASSERT_EQ(plain.status, 0);
  ASSERT_EQ(reduced.status, 0);
  ASSERT_EQ(plain.frame_hashes.size(), 184u * fps);
  ASSERT_EQ(reduced.frame_hashes.size(), plain.frame_hashes.size());

  // The mobile computing scene's beat flashes and the blurred sequences' cuts.
  EXPECT_FALSE(plain.result.passes());
  EXPECT_GE(plain.result.worst_luminance, 12);
  for (const int64_t ms : {65500, 119000, 143000}) EXPECT_TRUE(fails_at(plain.result, ms)) << ms;

  EXPECT_TRUE(reduced.result.passes()) << reduced.result.stretches.size() << " stretches, worst "
                                       << reduced.result.worst_luminance;
  size_t same = 0;
  for (size_t i = 0; i < plain.frame_hashes.size(); ++i) {
    const bool identical = plain.frame_hashes[i] == reduced.frame_hashes[i];
    same += identical;
    if (reduced_flashing_level(static_cast<int64_t>(i) * 1000 / fps) == 255) {
      ASSERT_TRUE(identical) << "frame " << i;
    }
  }
  EXPECT_GE(same * 4, plain.frame_hashes.size() * 3) << same << " of " << plain.frame_hashes.size();
  std::printf("frames identical to the show's own: %zu of %zu\n", same, plain.frame_hashes.size());
}

}  // namespace
