// sava-assets DIR: writes every picture of the show and the soundtrack into
// DIR/data/.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/option_table.h"
#include "pictures/catalogue.h"
#include "music/soundtrack_synth.h"
#include "stale_parts.h"
#include "temporary_files.h"

constexpr const char* usage =
    "usage: sava-assets DIR\n"
    "Writes every picture of the show and its soundtrack into DIR/data/, each file\n"
    "under a temporary name until it is complete, replacing whatever has its name\n"
    "(a symbolic link is replaced, not followed). DIR may not begin with a dash\n"
    "(write ./DIR for such a folder).\n";

struct AssetsOptions {
  bool help = false;
};

const Option<AssetsOptions> assets_options[] = {
    {"--help", "-h", nullptr, "print this help and end",
     set_flag<&AssetsOptions::help>},
};

int main(int argc, char** argv) {
  AssetsOptions options;
  std::vector<const char*> folders;
  const Result<void> read =
      parse_options(std::span<const Option<AssetsOptions>>(assets_options),
                    std::span<const char* const>(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0)),
                    UnknownArgument::refused, &options, &folders);
  if (options.help) {
    std::fputs(usage, stdout);
    return 0;
  }
  // Misuse: one line and status 2. An option is never taken for a folder.
  if (!read) {
    std::fprintf(stderr, "sava-assets: %s (a folder beginning with a dash is written ./DIR)\n", read.error().c_str());
    return 2;
  }
  if (folders.size() != 1 || folders[0][0] == '\0') {
    std::fprintf(stderr, "sava-assets: give one folder, as in sava-assets DIR (sava-assets --help tells more)\n");
    return 2;
  }
  const std::string root = folders[0];
  std::error_code ec;
  // The files go into DIR/data itself, never through a link to elsewhere
  // (each file's own name is replaced, not followed, for the same reason).
  if (std::filesystem::is_symlink(root + "/data", ec)) {
    std::fprintf(stderr, "sava-assets: %s/data is a symbolic link; the files are written only into a folder there\n",
                 root.c_str());
    return 1;
  }
  std::filesystem::create_directories(root + "/data", ec);
  if (ec) {
    std::fprintf(stderr, "sava-assets: cannot create %s/data: %s\n", root.c_str(),
                 ec.message().c_str());
    return 1;
  }

  // Interrupted or ended in any other catchable way, the run leaves the
  // files it had not finished nowhere; finished ones are whole.
  temporary_files::remove_on_termination(true);
  assets::remove_stale_parts(root + "/data");

  const auto start = std::chrono::steady_clock::now();
  // The soundtrack is one long job; it runs beside the picture workers.
  Result<void> music_written = Failure{"not written"};
  std::thread music([&] { music_written = write_soundtrack(root + "/data/rinnu.mp3"); });

  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const Result<void> pictures = assets::generate_pictures(root, cores);
  music.join();
  if (!pictures) {
    std::fprintf(stderr, "sava-assets: %s\n", pictures.error().c_str());
    return 1;
  }
  if (!music_written) {
    const char* allow = std::getenv("SAVA_ASSETS_ALLOW_NO_MUSIC");
    if (allow != nullptr && std::strcmp(allow, "1") == 0) {
      std::fprintf(stderr, "sava-assets: warning: no soundtrack: %s\n", music_written.error().c_str());
      return 0;
    }
    std::fprintf(stderr, "sava-assets: no soundtrack: %s\n", music_written.error().c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("sava-assets: wrote %s/data in %.1f s\n", root.c_str(), seconds);
  return 0;
}
