// sava-capture: renders the show offline, frame by frame, to raw frames,
// PNG files, a WAV file, an MP4 video or a contact sheet.
#include <cstdio>

#include "capture.h"
#include "options.h"

int main(int argc, char** argv) {
  const Result<CaptureOptions> options = parse_capture_options(argc - 1, argv + 1);
  if (!options) {
    std::fprintf(stderr, "sava-capture: %s (sava-capture --help lists the options)\n", options.error().c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(capture_help_text().c_str(), stdout);
    return 0;
  }
  return run_capture(*options);
}
