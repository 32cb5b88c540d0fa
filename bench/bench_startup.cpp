// Start-up: the time from starting the player's process to its first
// finished frame, against the time the picture libraries alone take to decode
// the same 224 files one after the other on one core.
//
// The player runs headless (dummy video and audio) in the build tree, where
// the build generates data/, with a small library preloaded
// (probe/first_frame_probe.c) that notes the moment the first frame has been
// presented and ends the process there. SAVA_BENCH_PLAYER names another
// player binary to measure (an older build, say).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <png.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "show/show_files.h"

extern char** environ;

namespace {

// The libraries with their plainest use: the whole picture into one buffer.
bool decode_png(const char* path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return false;
  image.format = PNG_FORMAT_BGRA;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  const bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
  benchmark::DoNotOptimize(pixels.data());
  png_image_free(&image);
  return ok;
}

bool decode_jpeg(std::FILE* file) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);  // the standard manager: a broken file ends the benchmark
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  const size_t stride = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
  std::vector<JSAMPLE> pixels(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  benchmark::DoNotOptimize(pixels.data());
  return true;
}

bool decode_picture(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  unsigned char signature[8] = {};
  const bool png = std::fread(signature, 1, 8, file) == 8 && png_sig_cmp(signature, 0, 8) == 0;
  bool ok = false;
  if (png) {
    ok = decode_png(path.c_str());
  } else {
    std::rewind(file);
    ok = decode_jpeg(file);
  }
  std::fclose(file);
  return ok;
}

// Seconds to decode every picture of the table with the libraries alone.
double library_decode_seconds() {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < picture_count; ++i) {
    if (!decode_picture(std::string(SAVA_BINARY_DIR "/") + picture_paths[i])) return -1;
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void library_decode(benchmark::State& state) {
  for (auto _ : state) {
    const double seconds = library_decode_seconds();
    if (seconds < 0) {
      state.SkipWithError("a picture of data/ could not be decoded (generate data/ first)");
      return;
    }
    state.SetIterationTime(seconds);
  }
}

double monotonic_seconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Starts the player and returns the seconds until its first frame was
// presented, or a negative value if it ended without one.
double start_to_first_frame(const std::string& player) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  std::vector<std::string> env_text;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "SDL_", 4) != 0 && std::strncmp(*e, "LD_PRELOAD=", 11) != 0) env_text.emplace_back(*e);
  }
  env_text.push_back("SDL_VIDEODRIVER=dummy");
  env_text.push_back("SDL_AUDIODRIVER=dummy");
  env_text.push_back("LD_PRELOAD=" SAVA_PROBE_LIBRARY);
  env_text.push_back("SAVA_PROBE_FD=" + std::to_string(fds[1]));
  std::vector<char*> env;
  for (auto& e : env_text) env.push_back(e.data());
  env.push_back(nullptr);
  std::string arg0 = player;
  std::string arg1 = "--windowed";
  char* argv[] = {arg0.data(), arg1.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const double start = monotonic_seconds();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, player.c_str(), &actions, nullptr, argv, env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    return -1;
  }
  char text[64] = {};
  size_t got = 0;
  for (ssize_t n; got + 1 < sizeof text && (n = read(fds[0], text + got, sizeof text - 1 - got)) > 0;) got += n;
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got == 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return static_cast<double>(std::strtoll(text, nullptr, 10)) * 1e-9 - start;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Each iteration times one start of the player and, right after, one
// library-only decode, so that both meet the same load of the machine; the
// ratio is that of their medians.
void start_to_first_frame(benchmark::State& state) {
  const char* other = std::getenv("SAVA_BENCH_PLAYER");
  const std::string player = other != nullptr && *other != '\0' ? other : SAVA_PLAYER_EXE;
  if (chdir(SAVA_BINARY_DIR) != 0) {
    state.SkipWithError("cannot enter the build tree, where data/ is generated");
    return;
  }
  std::vector<double> starts;
  std::vector<double> decodes;
  for (auto _ : state) {
    const double seconds = start_to_first_frame(player);
    if (seconds < 0) {
      state.SkipWithError("the player ended without a frame");
      return;
    }
    state.SetIterationTime(seconds);
    state.PauseTiming();
    const double library = library_decode_seconds();
    state.ResumeTiming();
    if (library < 0) {
      state.SkipWithError("a picture of data/ could not be decoded (generate data/ first)");
      return;
    }
    starts.push_back(seconds);
    decodes.push_back(library);
  }
  state.counters["start_median_ms"] = median(starts) * 1e3;
  state.counters["library_decode_median_ms"] = median(decodes) * 1e3;
  state.counters["ratio"] = median(starts) / median(decodes);
}

}  // namespace

BENCHMARK(library_decode)->Name("startup/library_decode_one_core")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(start_to_first_frame)->Name("startup/process_start_to_first_frame")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
