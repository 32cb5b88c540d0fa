// sava-flash-check: checks raw BGRA video for photosensitive flashing.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/file_handle.h"
#include "flash_analysis.h"
#include "flash_report.h"
#include "options.h"

namespace {

int fail(const std::string& name, const std::string& reason) {
  std::fprintf(stderr, "sava-flash-check: %s: %s\n", name.c_str(), reason.c_str());
  return 1;
}

int check(const FlashCheckOptions& o) {
  const bool from_stdin = o.path == "-";
  const std::string name = from_stdin ? "standard input" : o.path;
  FileHandle file;
  if (!from_stdin) {
    file.reset(std::fopen(o.path.c_str(), "rb"));
    if (!file) return fail(name, std::strerror(errno));
  }
  std::FILE* in = from_stdin ? stdin : file.get();

  const size_t frame_bytes = static_cast<size_t>(o.video.width) * static_cast<size_t>(o.video.height) * 4;
  std::vector<uint8_t> frame(frame_bytes);
  FlashAnalyser analyser(o.video);
  int64_t frames = 0;
  for (;;) {
    const size_t got = std::fread(frame.data(), 1, frame_bytes, in);
    if (got == frame_bytes) {
      analyser.add_frame(frame.data());
      ++frames;
      continue;
    }
    if (std::ferror(in)) return fail(name, std::string("cannot read: ") + std::strerror(errno));
    if (got != 0) {
      return fail(name, "ends inside frame " + std::to_string(frames + 1) + " (" + std::to_string(got) + " of " +
                            std::to_string(frame_bytes) + " bytes)");
    }
    break;
  }
  if (frames == 0) return fail(name, "no frames");
  const FlashResult result = analyser.result();
  std::fputs(flash_report(o.video, result).c_str(), stdout);
  return result.passes() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const Result<FlashCheckOptions> options = parse_flash_check_options(argc - 1, argv + 1);
  if (!options) {
    std::fprintf(stderr, "sava-flash-check: %s (sava-flash-check --help lists the options)\n",
                 options.error().c_str());
    return 2;
  }
  if (options->help) {
    std::printf("%s\n%s", flash_check_usage, flash_check_help().c_str());
    return 0;
  }
  try {
    return check(*options);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "sava-flash-check: not enough memory for %dx%d frames\n", options->video.width,
                 options->video.height);
    return 1;
  }
}
