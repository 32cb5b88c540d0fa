#include "capture.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/platform.h"
#include "contact_sheet.h"
#include "core/frame.h"
#include "frame_stats.h"
#include "image/picture_loading.h"
#include "music/soundtrack.h"
#include "output_file.h"
#include "output_folder.h"
#include "png_write.h"
#include "progress.h"
#include "show/cue_table.h"
#include "show/session.h"
#include "show/show.h"
#include "show/startup.h"
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
  platform::on_stop_requests(on_stop_signal, false);
  // A reader that goes away shows up as a write error ("Broken pipe"), not
  // as a signal.
  platform::ignore_broken_pipe();
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
    const std::string pattern = platform::temporary_folder() + "/sava-capture-XXXXXX.wav";
    std::string name = pattern;
    if (!platform::create_unique_file(&name, 4)) {
      *error = "cannot create a temporary file for the video's sound in " + pattern.substr(0, pattern.rfind('/')) +
               ": " + std::strerror(errno);
      return false;
    }
    path_ = name;
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

// One frame as a PNG file, `scale` times larger, fast to compress, complete
// or not there at all.
bool write_frame_png(const std::string& path, const uint32_t* pixels, int32_t scale, std::string* error) {
  OutputFile file;
  if (!file.open(path, error)) return false;
  std::string reason;
  if (!png_write_pixels_enlarged(file.stream(), pixels, screen_width, screen_height, scale, 1, &reason)) {
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
    if (writes_standard_output(o)) platform::binary_stdout();
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

// The session's platform for a capture: each frame, as the session presents
// it, goes to every output; there is no sound device and no input.
class CapturePlatform : public SessionPlatform {
 public:
  CapturePlatform(const CaptureOptions& o, Outputs& outputs, SoundSource& sound)
      : o_(o), outputs_(outputs), sound_(sound) {
    if (!o.sheet_path.empty()) {
      std::vector<int32_t> cue_times;
      for (int i = 0; i + 1 < cue_count; ++i) cue_times.push_back(cue_table[i].time_ms);
      sheet_.emplace(cue_times);
    }
    digits_ = frame_name_digits(capture_frame_time(o, capture_frame_count(o) - 1));
  }

  // Frame `index` is about to be drawn.
  void begin_frame(int64_t index) {
    index_ = index;
    started_ = std::chrono::steady_clock::now();
  }
  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }
  const FrameStats& stats() const { return stats_; }
  const ContactSheet* sheet() const { return sheet_ ? &*sheet_ : nullptr; }

  TickSource tick_source() override { return steady_ticks; }
  void poll(Session&) override {}

  void present(const SessionView& view) override {
    const auto rendered = std::chrono::steady_clock::now();
    stats_.add(view.cue, std::chrono::duration_cast<std::chrono::nanoseconds>(rendered - started_).count());
    const int64_t now = view.time_ms;
    const uint32_t* frame = view.frame;  // as shown: with reduced flashing when on
    const size_t words = static_cast<size_t>(screen_width) * screen_height;
    if (outputs_.raw.stream() != nullptr) failed_ = !outputs_.write_raw(frame, words, &error_);
    if (!failed_ && !o_.frames_dir.empty()) {
      char name[40];
      std::snprintf(name, sizeof name, "/t%0*lld.png", digits_, static_cast<long long>(now));
      failed_ = !write_frame_png(o_.frames_dir + name, frame, o_.scale, &error_);
    }
    if (!failed_ && outputs_.video) failed_ = !outputs_.video->write_frame(frame, &error_);
    if (sheet_) sheet_->offer(now, frame);
    if (!failed_ && outputs_.wav) {
      // This frame's share of the sound: up to the next frame, or to the end.
      const int64_t next = std::min(capture_frame_time(o_, index_ + 1), o_.to_ms);
      samples_.clear();
      sound_.read(sample_at_show_time(now), sample_at_show_time(next), &samples_);
      failed_ = !outputs_.wav->write(samples_, &error_);
    }
  }

 private:
  const CaptureOptions& o_;
  Outputs& outputs_;
  SoundSource& sound_;
  std::optional<ContactSheet> sheet_;
  int digits_ = 7;
  FrameStats stats_;
  std::vector<int16_t> samples_;
  int64_t index_ = 0;
  std::chrono::steady_clock::time_point started_;
  bool failed_ = false;
  std::string error_;
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
  ShowStartup startup({.data_dir = o.data_dir,
                       .from_ms = static_cast<int32_t>(o.from_ms),
                       .reduce_flashing = o.reduce_flashing});
  const char* sound_path = startup.files().soundtrack_path();
  SoundSource sound;
  const Result<void> sound_opened = sound.open(sound_path, sample_at_show_time(o.from_ms));
  if (!sound_opened) {
    std::fprintf(stderr, "%s\n", sound_opened.error().c_str());
    return 1;
  }
  startup.begin_pictures(PictureLoading::threads_for_this_machine());
  const PicturesOutcome pictures = startup.take_pictures(stop_requested);
  if (pictures.stopped) return 128 + stop_signal;
  if (!pictures.ready()) {
    std::fprintf(stderr, "%s\n", pictures.failure.c_str());
    return 1;
  }

  if (outputs.video) {
    if (!write_sound_file(outputs.video_sound->path(), sound_path, o, &error)) {
      return error.empty() ? 128 + stop_signal : fail(error);
    }
    if (!outputs.video->start(o.fps_num, o.fps_den, o.scale, outputs.video_sound->path(), &error)) {
      return fail(error);
    }
  }

  // The session on the virtual clock: frame i at its planned time.
  std::vector<uint32_t> screen(static_cast<size_t>(screen_width) * screen_height, 0);
  CapturePlatform platform(o, outputs, sound);
  Session session(startup.pictures(), screen.data(), platform, nullptr, static_cast<int32_t>(o.from_ms),
                  startup.options().reduce_flashing);
  const int64_t total = capture_frame_count(o);
  Progress progress(total);
  for (int64_t i = 0; i < total && !stop_requested() && !platform.failed(); ++i) {
    platform.begin_frame(i);
    session.frame_at(static_cast<int32_t>(capture_frame_time(o, i)));
    progress.update(i + 1);
  }
  progress.finish();

  // Finished up to the last frame made, also when stopped; after a failure
  // nothing unfinished is kept (the outputs go with their owners).
  bool failed = platform.failed();
  error = platform.error();
  if (!failed) failed = !outputs.finish(platform.sheet(), &error);
  if (o.stats) {
    std::FILE* to = writes_standard_output(o) ? stderr : stdout;
    platform.stats().print(to);
    const ReducedFlashing& reduced = session.reduced_flashing();
    if (reduced.on()) std::fputs(softened_stretches_text(reduced.stretches()).c_str(), to);
  }

  if (failed) return fail(error);
  return stop_requested() ? 128 + stop_signal : 0;
}
