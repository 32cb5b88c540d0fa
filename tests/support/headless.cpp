#include "headless.h"

#include <cstdlib>
#include <sstream>

#include "support/files.h"

ChildLaunch headless_launch(const std::string& program, const std::string& dir) {
  ChildLaunch launch;
  launch.program = program;
  launch.working_dir = dir;
  const char* lsan = std::getenv("LSAN_OPTIONS");
  launch.env = {{"SDL_VIDEODRIVER", "dummy"},
                {"SDL_AUDIODRIVER", "disk"},
                {"SDL_DISKAUDIOFILE", headless_audio(dir)},
                {"LSAN_OPTIONS", std::string(lsan != nullptr ? lsan : "") +
                                     ":suppressions=" SAVA_SOURCE_DIR "/tests/support/lsan_suppressions.txt"}};
  return launch;
}

std::string headless_audio(const std::string& dir) { return dir + "/audio.raw"; }

size_t first_sound(const std::vector<uint8_t>& pcm) {
  for (size_t i = 0; i + 4 <= pcm.size(); i += 4) {
    if (pcm[i] | pcm[i + 1] | pcm[i + 2] | pcm[i + 3]) return i;
  }
  return pcm.size();
}

std::function<bool()> once_played(const std::string& dir, size_t bytes) {
  return [path = headless_audio(dir), bytes] {
    const std::vector<uint8_t> pcm = read_file(path);
    const size_t start = first_sound(pcm);
    return start < pcm.size() && pcm.size() - start >= bytes;
  };
}

std::vector<std::string> message_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("CRITICAL: You are using the SDL disk i/o audio driver!", 0) == 0) continue;
    if (line.rfind("CRITICAL:  Writing to file [", 0) == 0) continue;
    lines.push_back(line);
  }
  return lines;
}
