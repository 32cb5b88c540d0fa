// sava-assets DIR: writes every picture of the show and the soundtrack into
// DIR/data/.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "pictures/catalogue.h"
#include "music/soundtrack_synth.h"
#include "stale_parts.h"
#include "temporary_files.h"

constexpr const char* usage =
    "usage: sava-assets DIR\n"
    "Writes every picture of the show and its soundtrack into DIR/data/, each file\n"
    "under a temporary name until it is complete. DIR may not begin with a dash\n"
    "(write ./DIR for such a folder).\n";

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(usage, stdout);
    return 0;
  }
  // Misuse: one line and status 2. An option is never taken for a folder.
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "sava-assets: give one folder, as in sava-assets DIR (sava-assets --help tells more)\n");
    return 2;
  }
  if (argv[1][0] == '-') {
    std::fprintf(stderr, "sava-assets: '%s' is not an option; a folder beginning with a dash is written ./%s\n",
                 argv[1], argv[1]);
    return 2;
  }
  const std::string root = argv[1];
  std::error_code ec;
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
  std::string music_error;
  bool music_ok = false;
  std::thread music([&] { music_ok = write_soundtrack(root + "/data/rinnu.mp3", &music_error); });

  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  std::string error;
  const bool pictures_ok = assets::generate_pictures(root, cores, &error);
  music.join();
  if (!pictures_ok) {
    std::fprintf(stderr, "sava-assets: %s\n", error.c_str());
    return 1;
  }
  if (!music_ok) {
    const char* allow = std::getenv("SAVA_ASSETS_ALLOW_NO_MUSIC");
    if (allow != nullptr && std::strcmp(allow, "1") == 0) {
      std::fprintf(stderr, "sava-assets: warning: no soundtrack: %s\n", music_error.c_str());
      return 0;
    }
    std::fprintf(stderr, "sava-assets: no soundtrack: %s\n", music_error.c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("sava-assets: wrote %s/data in %.1f s\n", root.c_str(), seconds);
  return 0;
}
