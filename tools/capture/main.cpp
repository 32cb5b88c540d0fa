// sava-capture: renders the show offline, frame by frame, to raw frames,
// PNG files, a WAV file, an MP4 video or a contact sheet.
#include <cstdio>
#include <string>

#include "capture.h"
#include "options.h"

int main(int argc, char** argv) {
  std::string error;
  const auto options = parse_capture_options(argc - 1, argv + 1, &error);
  if (!options) {
    std::fprintf(stderr, "sava-capture: %s\n%s\n", error.c_str(), capture_usage);
    return 2;
  }
  return run_capture(*options);
}
