#include "capture.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "contact_sheet.h"
#include "core/frame.h"
#include "frame_stats.h"
#include "image/image_store.h"
#include "image/picture_loading.h"
#include "music/soundtrack.h"
#include "output_file.h"
#include "output_folder.h"
#include "png_write.h"
#include "progress.h"
#include "show/cue_table.h"
#include "show/data_folder.h"
#include "show/picture_size_check.h"
#include "show/reduced_flashing.h"
#include "show/show.h"
#include "show/show_files.h"
#include "sound_source.h"
#include "temporary_files.h"
#include "video_encoder.h"
#include "wav_writer.h"

namespace {

volatile sig_atomic_t stop_signal = 0;

// The first request to stop ends the capture after the frame in hand, with
// every output finished up to it; a second one ends it at once, leaving no
// unfinished file.
extern "C" void on_stop_signal(int signal) {
  if (stop_signal != 0) temporary_files::remove_all_and_die(signal);
  stop_signal = signal;
}

bool stop_requested() { return stop_signal != 0; }

void install_stop_handlers() {
  // Temporary files go at exit and on any termination signal not handled
  // below.
  temporary_files::remove_on_termination(false);
  struct sigaction action = {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) sigaction(signal, &action, nullptr);
  // A reader that goes away shows up as a write error ("Broken pipe"), not
  // as a signal.
  ::signal(SIGPIPE, SIG_IGN);
}

int fail(const std::string& message) {
  std::fprintf(stderr, "sava-capture: %s\n", message.c_str());
  return 1;
}

// The bytes of the sound of [from, to): 16-bit stereo sample frames.
uint64_t sound_bytes(const CaptureOptions& o) {
  return static_cast<uint64_t>(sample_at_show_time(o.to_ms) - sample_at_show_time(o.from_ms)) * 4;
}

bool writes_standard_output(const CaptureOptions& o) {
  for (const std::string* path : {&o.raw_path, &o.wav_path, &o.video_path, &o.sheet_path}) {
    if (*path == "-") return true;
  }
  return false;
}

// The video's sound: a WAV file in the temporary folder, removed whatever
// way the capture ends.
class TemporarySound {
 public:
  bool create(std::string* error) {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/sava-capture-XXXXXX.wav";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0) {
      *error = "cannot create a temporary file for the video's sound in " + pattern.substr(0, pattern.rfind('/')) +
               ": " + std::strerror(errno);
      return false;
    }
    ::close(fd);
    path_ = name.data();
    ticket_ = temporary_files::add(path_);
    return true;
  }
  ~TemporarySound() {
    if (!path_.empty()) std::remove(path_.c_str());
    temporary_files::forget(ticket_);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int ticket_ = -1;
};

// Writes the sound of [from, to) into a WAV file for the video encoder.
// Returns false with `error` set on failure, or with `error` empty when
// stopped.
bool write_sound_file(const std::string& path, const char* sound_path, const CaptureOptions& o,
                      std::string* error) {
  const int64_t first = sample_at_show_time(o.from_ms), last = sample_at_show_time(o.to_ms);
  SoundSource sound;
  if (!sound.open(sound_path, first).ok()) {
    *error = "cannot reopen the soundtrack";
    return false;
  }
  WavWriter wav;
  if (!wav.open(path, sound_bytes(o), error)) return false;
  std::vector<int16_t> samples;
  for (int64_t begin = first; begin < last; begin += 44100) {
    if (stop_requested()) {
      error->clear();
      return false;
    }
    samples.clear();
    sound.read(begin, std::min(begin + 44100, last), &samples);
    if (!wav.write(samples, error)) return false;
  }
  return wav.finish(error);
}

// Digits of the frame file names: enough for the last frame's time, so that
// the names sort in time order (at least seven, "t0007900.png").
int frame_name_digits(int64_t last_ms) {
  int digits = 1;
  for (int64_t v = last_ms; v >= 10; v /= 10) ++digits;
  return digits < 7 ? 7 : digits;
}

// One frame as a PNG file, fast to compress, complete or not there at all.
bool write_frame_png(const std::string& path, const uint32_t* pixels, std::string* error) {
  OutputFile file;
  if (!file.open(path, error)) return false;
  std::string reason;
  if (!png_write_pixels(file.stream(), pixels, screen_width, screen_height, false, 1, &reason)) {
    *error = path + ": " + reason;
    return false;
  }
  return file.commit(error);
}

// Every output of a capture, each claimed before anything is rendered so
// that an unusable path fails at once, and each under a temporary name until
// it is complete (or written straight into a device, pipe or standard output).
struct Outputs {
  OutputFile raw;
  OutputFolder frames;
  std::optional<WavWriter> wav;
  std::optional<VideoEncoder> video;
  std::optional<TemporarySound> video_sound;
  OutputFile sheet;

  bool open(const CaptureOptions& o, std::string* error) {
    if (!o.raw_path.empty() && !raw.open(o.raw_path, error)) return false;
    if (!o.frames_dir.empty() && !frames.create(o.frames_dir, error)) return false;
    if (!o.wav_path.empty()) {
      wav.emplace();
      if (!wav->open(o.wav_path, sound_bytes(o), error)) return false;
    }
    if (!o.video_path.empty()) {
      video.emplace();
      if (!video->prepare(o.video_path, error)) return false;
      video_sound.emplace();
      if (!video_sound->create(error)) return false;
    }
    if (!o.sheet_path.empty() && !sheet.open(o.sheet_path, error)) return false;
    return true;
  }

  bool write_raw(const uint32_t* pixels, size_t words, std::string* error) {
    if (std::fwrite(pixels, sizeof(uint32_t), words, raw.stream()) == words) return true;
    *error = raw.name() + ": " + std::strerror(errno);
    return false;
  }

  // Finishes and names every output in turn; stops at the first failure.
  bool finish(const ContactSheet* sheet_pictures, std::string* error) {
    if (raw.stream() != nullptr && !raw.commit(error)) return false;
    if (wav && !wav->finish(error)) return false;
    if (video && !video->finish(error)) return false;
    if (sheet_pictures != nullptr) {
      if (!sheet_pictures->write(sheet.stream(), sheet.name(), error)) return false;
      if (!sheet.commit(error)) return false;
    }
    return true;
  }
};

}  // namespace

int run_capture(const CaptureOptions& o) {
  install_stop_handlers();
  std::string error;
  Outputs outputs;
  if (!outputs.open(o, &error)) return fail(error);

  // Start-up like the player's: the data found the same way, the soundtrack
  // first, then every picture (decoded on every core), with the player's own
  // messages. A stop request during the pictures' loading is acted on at once.
  const ShowFiles files(find_data_folder(o.data_dir));
  const char* sound_path = files.soundtrack_path();
  SoundSource sound;
  const SoundtrackResult opened = sound.open(sound_path, sample_at_show_time(o.from_ms));
  if (!opened.ok()) {
    std::fprintf(stderr, "%s\n", opened.message(sound_path).c_str());
    return 1;
  }
  ImageStore pictures;
  const StoreLoadResult loaded =
      PictureLoading(files.picture_paths(), PictureLoading::threads_for_this_machine()).finish(&pictures, stop_requested);
  if (loaded.stopped()) return 128 + stop_signal;
  if (!loaded.loaded()) {
    std::fprintf(stderr, "%s\n", loaded.message().c_str());
    return 1;
  }
  const std::string size_problem = picture_size_check(pictures.images(), files.picture_paths());
  if (!size_problem.empty()) {
    std::fprintf(stderr, "%s\n", size_problem.c_str());
    return 1;
  }
  std::vector<uint32_t> screen(static_cast<size_t>(screen_width) * screen_height, 0);
  Show show(std::move(pictures), screen.data());

  if (outputs.video) {
    if (!write_sound_file(outputs.video_sound->path(), sound_path, o, &error)) {
      return error.empty() ? 128 + stop_signal : fail(error);
    }
    if (!outputs.video->start(o.fps_num, o.fps_den, o.video_scale, outputs.video_sound->path(), &error)) {
      return fail(error);
    }
  }
  std::vector<int32_t> cue_times;
  for (int i = 0; i + 1 < cue_count; ++i) cue_times.push_back(cue_table[i].time_ms);
  std::optional<ContactSheet> sheet;
  if (!o.sheet_path.empty()) sheet.emplace(cue_times);

  const int64_t total = capture_frame_count(o);
  const int digits = frame_name_digits(capture_frame_time(o, total - 1));
  Progress progress(total);
  ReducedFlashing reduced_flashing(o.reduce_flashing);
  FrameStats stats;
  std::vector<int16_t> samples;
  bool failed = false;
  for (int64_t i = 0; i < total && !stop_requested() && !failed; ++i) {
    const int64_t now = capture_frame_time(o, i);
    const auto started = std::chrono::steady_clock::now();
    frame_step(show, cue_table, static_cast<int32_t>(now));
    const auto rendered = std::chrono::steady_clock::now();
    stats.add(show.next_cue - 1, std::chrono::duration_cast<std::chrono::nanoseconds>(rendered - started).count());
    const uint32_t* frame = reduced_flashing.shown(screen.data(), screen.size(), now);

    if (outputs.raw.stream() != nullptr) failed = !outputs.write_raw(frame, screen.size(), &error);
    if (!failed && !o.frames_dir.empty()) {
      char name[40];
      std::snprintf(name, sizeof name, "/t%0*lld.png", digits, static_cast<long long>(now));
      failed = !write_frame_png(o.frames_dir + name, frame, &error);
    }
    if (!failed && outputs.video) failed = !outputs.video->write_frame(frame, &error);
    if (sheet) sheet->offer(now, frame);
    if (!failed && outputs.wav) {
      // This frame's share of the sound: up to the next frame, or to the end.
      const int64_t next = std::min(capture_frame_time(o, i + 1), o.to_ms);
      samples.clear();
      sound.read(sample_at_show_time(now), sample_at_show_time(next), &samples);
      failed = !outputs.wav->write(samples, &error);
    }
    progress.update(i + 1);
  }
  progress.finish();

  // Finished up to the last frame made, also when stopped; after a failure
  // nothing unfinished is kept (the outputs go with their owners).
  if (!failed) failed = !outputs.finish(sheet ? &*sheet : nullptr, &error);
  if (o.stats) stats.print(writes_standard_output(o) ? stderr : stdout);

  if (failed) return fail(error);
  return stop_requested() ? 128 + stop_signal : 0;
}
