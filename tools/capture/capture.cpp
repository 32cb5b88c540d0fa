#include "capture.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "contact_sheet.h"
#include "core/frame.h"
#include "core/runtime.h"
#include "frame_stats.h"
#include "image/image_store.h"
#include "music/soundtrack.h"
#include "png_writer.h"
#include "progress.h"
#include "show/cue_table.h"
#include "show/picture_size_check.h"
#include "sound_source.h"
#include "video_encoder.h"
#include "wav_writer.h"

namespace {

volatile std::sig_atomic_t stop_signal = 0;

extern "C" void on_stop_signal(int signal) { stop_signal = signal; }

void install_stop_handlers() {
  struct sigaction action = {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A reader that goes away shows up as a write error, not as a signal.
  std::signal(SIGPIPE, SIG_IGN);
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != stdout) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Number of frames i with from + (i * 1000 * D) / N < to.
int64_t frame_count(const CaptureOptions& o) {
  const int64_t per = 1000 * o.fps_den;
  return ((o.to_ms - o.from_ms) * o.fps_num + per - 1) / per;
}

// Writes the sound of [from, to) into a WAV file for the video encoder.
bool write_sound_file(const std::string& path, const CaptureOptions& o, std::string* error) {
  SoundSource sound;
  const int result = sound.open(soundtrack_path);
  if (result != SOUNDTRACK_OK) {
    *error = "cannot reopen the soundtrack";
    return false;
  }
  WavWriter wav;
  if (!wav.open(path, error)) return false;
  std::vector<int16_t> samples;
  const int64_t first = sample_at_ms(o.from_ms), last = sample_at_ms(o.to_ms);
  for (int64_t begin = first; begin < last; begin += 44100) {
    samples.clear();
    sound.read(begin, std::min(begin + 44100, last), &samples);
    if (!wav.write(samples, error)) return false;
  }
  return wav.finish(error);
}

class TempFile {
 public:
  TempFile() {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/sava-capture-XXXXXX.wav";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemps(name.data(), 4);
    if (fd >= 0) {
      ::close(fd);
      path_ = name.data();
    }
  }
  ~TempFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

int fail(const std::string& message) {
  std::fprintf(stderr, "sava-capture: %s\n", message.c_str());
  return 1;
}

}  // namespace

int run_capture(const CaptureOptions& o) {
  install_stop_handlers();
  // Start-up like the player's: the soundtrack first, then every picture,
  // with the player's own messages.
  SoundSource sound;
  const int opened = sound.open(soundtrack_path);
  if (opened != SOUNDTRACK_OK) {
    std::fprintf(stderr, soundtrack_error_message(opened), soundtrack_path);
    return 1;
  }
  image_store_load();
  const std::string size_problem = picture_size_check(image_store);
  if (!size_problem.empty()) {
    std::fprintf(stderr, "%s\n", size_problem.c_str());
    return 1;
  }
  if (stop_signal != 0) return 128 + stop_signal;
  std::vector<uint32_t> screen(static_cast<size_t>(screen_width) * screen_height, 0);
  screen_image = {screen.data(), screen_width, screen_height};

  std::string error;
  FilePtr raw;
  if (!o.raw_path.empty()) {
    raw.reset(o.raw_path == "-" ? stdout : std::fopen(o.raw_path.c_str(), "wb"));
    if (!raw) return fail(o.raw_path + ": cannot open for writing");
  }
  if (!o.frames_dir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(o.frames_dir, ec);
    if (ec) return fail(o.frames_dir + ": " + ec.message());
  }
  std::optional<WavWriter> wav;
  if (!o.wav_path.empty()) {
    wav.emplace();
    if (!wav->open(o.wav_path, &error)) return fail(error);
  }
  TempFile video_sound;
  std::optional<VideoEncoder> video;
  if (!o.video_path.empty()) {
    if (video_sound.path().empty()) return fail("cannot create a temporary file for the video's sound");
    if (!write_sound_file(video_sound.path(), o, &error)) return fail(error);
    // The sound pass used the soundtrack; start it afresh for the frames.
    if (sound.open(soundtrack_path) != SOUNDTRACK_OK) return fail("cannot reopen the soundtrack");
    video.emplace();
    if (!video->start(o.video_path, o.fps_num, o.fps_den, o.video_scale, video_sound.path(), &error)) {
      return fail(error);
    }
  }
  std::vector<int32_t> cue_times;
  for (int i = 0; i + 1 < cue_count; ++i) cue_times.push_back(cue_table[i].time_ms);
  std::optional<ContactSheet> sheet;
  if (!o.sheet_path.empty()) sheet.emplace(cue_times);

  const int64_t total = frame_count(o);
  Progress progress(total);
  FrameStats stats;
  std::vector<int16_t> samples;
  bool failed = false;
  for (int64_t i = 0; i < total && stop_signal == 0 && !failed; ++i) {
    const int64_t now = capture_frame_time(o, i);
    const auto started = std::chrono::steady_clock::now();
    frame_step(cue_table, static_cast<int32_t>(now));
    const auto rendered = std::chrono::steady_clock::now();
    stats.add(next_cue - 1, std::chrono::duration_cast<std::chrono::nanoseconds>(rendered - started).count());

    if (raw && std::fwrite(screen.data(), sizeof(uint32_t), screen.size(), raw.get()) != screen.size()) {
      error = o.raw_path + ": write failed";
      failed = true;
    }
    if (!failed && !o.frames_dir.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "/t%07lld.png", static_cast<long long>(now));
      failed = !write_png_rgb(o.frames_dir + name, screen.data(), screen_width, screen_height, 1, &error);
    }
    if (!failed && video) failed = !video->write_frame(screen.data(), &error);
    if (sheet) sheet->offer(now, screen.data());
    if (!failed && wav) {
      // This frame's share of the sound: up to the next frame, or to the end.
      const int64_t next = std::min(capture_frame_time(o, i + 1), o.to_ms);
      samples.clear();
      sound.read(sample_at_ms(now), sample_at_ms(next), &samples);
      failed = !wav->write(samples, &error);
    }
    progress.update(i + 1);
  }
  progress.finish();

  std::string finish_error;
  if (raw && std::fflush(raw.get()) != 0 && !failed) {
    failed = true;
    error = o.raw_path + ": write failed";
  }
  if (wav && !wav->finish(&finish_error) && !failed) failed = true, error = finish_error;
  if (video && !video->finish(&finish_error) && !failed) failed = true, error = finish_error;
  if (sheet && !sheet->write(o.sheet_path, &finish_error) && !failed) failed = true, error = finish_error;
  if (o.stats) stats.print(o.raw_path == "-" ? stderr : stdout);
  image_store_free();

  if (failed) return fail(error);
  return stop_signal != 0 ? 128 + stop_signal : 0;
}
