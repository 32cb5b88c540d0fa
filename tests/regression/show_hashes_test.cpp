// The whole show, frame by frame and sample by sample, against recorded
// hashes. Frames are hashed in windows of 8 s of show time so that a change
// points at the part of the show it touched.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t frame_bytes = 400 * 300 * 4;
constexpr int64_t window_ms = 8000;
const std::string hash_file = std::string(SAVA_SOURCE_DIR) + "/tests/regression/show_hashes.txt";

// FNV-1a over 64-bit words: not cryptographic, but any change of a pixel
// changes it with near certainty, and it keeps up with the renderer.
struct Fnv {
  uint64_t h = 0xcbf29ce484222325ull;
  void add(const uint8_t* p, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      uint64_t w;
      __builtin_memcpy(&w, p + i, 8);
      h = (h ^ w) * 0x100000001b3ull;
    }
    for (; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
  }
};

std::string hex(uint64_t v) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

// sava-capture on the show data the build generated, with `args`.
const std::string capture = std::string("'") + SAVA_CAPTURE_EXE + "' --data '" SAVA_DATA_DIR "' ";

// Runs a shell command and feeds its standard output to `sink` in pieces;
// returns the command's exit status.
template <class Sink>
int stream_command(const std::string& command, Sink sink) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  std::vector<uint8_t> buffer(frame_bytes);
  size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) sink(buffer.data(), got);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::map<std::string, std::string> read_recorded() {
  std::map<std::string, std::string> recorded;
  std::ifstream in(hash_file);
  std::string key, value;
  while (in >> key >> value) recorded[key] = value;
  return recorded;
}

bool recording() { return std::getenv("SAVA_RECORD_HASHES") != nullptr; }

bool show_data_present() {
  std::ifstream mp3(SAVA_DATA_DIR "/rinnu.mp3");
  return mp3.good();
}

TEST(ShowHashes, EveryFrameAndEverySampleOfTheWholeShowIsUnchanged) {
  ASSERT_TRUE(show_data_present()) << "the build generates its data into " SAVA_DATA_DIR;
  std::map<std::string, std::string> now;

  // Frames: 60 fps from 0 to the end screen's last frame.
  std::map<int64_t, Fnv> windows;
  int64_t frame = 0;
  std::vector<uint8_t> pending;
  const int frames_status = stream_command(
      capture + "--raw -", [&](const uint8_t* p, size_t n) {
        pending.insert(pending.end(), p, p + n);
        size_t used = 0;
        for (; used + frame_bytes <= pending.size(); used += frame_bytes, ++frame) {
          const int64_t t = frame * 1000 / 60;
          windows[t / window_ms].add(pending.data() + used, frame_bytes);
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(used));
      });
  ASSERT_EQ(frames_status, 0);
  EXPECT_TRUE(pending.empty());
  now["frames"] = std::to_string(frame);
  for (const auto& [w, fnv] : windows) {
    char key[32];
    std::snprintf(key, sizeof key, "frames@%06lld", static_cast<long long>(w * window_ms));
    now[key] = hex(fnv.h);
  }

  // Sound: the WAV of the whole show as the audio callback hands it out.
  // The WAV writer seeks back to its header, so it goes through a file.
  char wav_path[] = "/tmp/sava-regression-XXXXXX";
  const int fd = mkstemp(wav_path);
  ASSERT_GE(fd, 0);
  close(fd);
  Fnv wav;
  const int wav_status =
      stream_command(capture + "--null --wav '" + wav_path + "' && cat '" + wav_path + "'",
                     [&](const uint8_t* p, size_t n) { wav.add(p, n); });
  std::remove(wav_path);
  ASSERT_EQ(wav_status, 0);
  now["wav"] = hex(wav.h);

  if (recording()) {
    std::ofstream out(hash_file);
    for (const auto& [key, value] : now) out << key << ' ' << value << '\n';
    GTEST_SKIP() << "recorded " << now.size() << " hashes in " << hash_file;
  }
  const auto recorded = read_recorded();
  ASSERT_FALSE(recorded.empty()) << "no recorded hashes in " << hash_file;
  for (const auto& [key, value] : recorded) EXPECT_EQ(now[key], value) << key;
  EXPECT_EQ(now.size(), recorded.size());
}

}  // namespace
