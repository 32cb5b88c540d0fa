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
  Result<void> create() {
    const std::string pattern = platform::temporary_folder() + "/sava-capture-XXXXXX.wav";
    std::string name = pattern;
    if (!platform::create_unique_file(&name, 4)) {
      return Failure{"cannot create a temporary file for the video's sound in " +
                     pattern.substr(0, pattern.rfind('/')) + ": " + std::strerror(errno)};
    }
    path_ = name;
    ticket_ = temporary_files::add(path_);
    return {};
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
// When stopped, fails with an empty message.
Result<void> write_sound_file(const std::string& path, const char* sound_path, const CaptureOptions& o) {
  const int64_t first = sample_at_show_time(o.from_ms), last = sample_at_show_time(o.to_ms);
  SoundSource sound;
  if (!sound.open(sound_path, first).ok()) return Failure{"cannot reopen the soundtrack"};
  WavWriter wav;
  if (Result<void> opened = wav.open(path, sound_bytes(o)); !opened) return opened;
  std::vector<int16_t> samples;
  for (int64_t begin = first; begin < last; begin += 44100) {
    if (stop_requested()) return Failure{};
    samples.clear();
    sound.read(begin, std::min(begin + 44100, last), &samples);
    if (Result<void> written = wav.write(samples); !written) return written;
  }
  return wav.finish();
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
Result<void> write_frame_png(const std::string& path, const uint32_t* pixels, int32_t scale) {
  OutputFile file;
  const Result<void> opened = file.open(path);
  if (!opened) return opened;
  const Result<void> written = png_write_pixels_enlarged(file.stream(), pixels, screen_width, screen_height, scale, 1);
  if (!written) return Failure{path + ": " + written.error()};
  return file.commit();
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

  Result<void> open(const CaptureOptions& o) {
    if (writes_standard_output(o)) platform::binary_stdout();
    if (!o.raw_path.empty()) {
      if (Result<void> opened = raw.open(o.raw_path); !opened) return opened;
    }
    if (!o.frames_dir.empty()) {
      if (Result<void> made = frames.create(o.frames_dir); !made) return made;
    }
    if (!o.wav_path.empty()) {
      wav.emplace();
      if (Result<void> opened = wav->open(o.wav_path, sound_bytes(o)); !opened) return opened;
    }
    if (!o.video_path.empty()) {
      video.emplace();
      if (Result<void> prepared = video->prepare(o.video_path); !prepared) return prepared;
      video_sound.emplace();
      if (Result<void> made = video_sound->create(); !made) return made;
    }
    if (!o.sheet_path.empty()) return sheet.open(o.sheet_path);
    return {};
  }

  Result<void> write_raw(const uint32_t* pixels, size_t words) {
    if (std::fwrite(pixels, sizeof(uint32_t), words, raw.stream()) == words) return {};
    return Failure{raw.name() + ": " + std::strerror(errno)};
  }

  // Finishes and names every output in turn; stops at the first failure.
  Result<void> finish(const ContactSheet* sheet_pictures) {
    if (raw.stream() != nullptr) {
      if (Result<void> committed = raw.commit(); !committed) return committed;
    }
    if (wav) {
      if (Result<void> finished = wav->finish(); !finished) return finished;
    }
    if (video) {
      if (Result<void> finished = video->finish(); !finished) return finished;
    }
    if (sheet_pictures != nullptr) {
      if (Result<void> written = sheet_pictures->write(sheet.stream(), sheet.name()); !written) return written;
      return sheet.commit();
    }
    return {};
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
  bool failed() const { return !outcome_; }
  const Result<void>& outcome() const { return outcome_; }
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
    if (outputs_.raw.stream() != nullptr) outcome_ = outputs_.write_raw(frame, words);
    if (outcome_ && !o_.frames_dir.empty()) {
      char name[40];
      std::snprintf(name, sizeof name, "/t%0*lld.png", digits_, static_cast<long long>(now));
      outcome_ = write_frame_png(o_.frames_dir + name, frame, o_.scale);
    }
    if (outcome_ && outputs_.video) outcome_ = outputs_.video->write_frame(frame);
    if (sheet_) sheet_->offer(now, frame);
    if (outcome_ && outputs_.wav) {
      // This frame's share of the sound: up to the next frame, or to the end.
      const int64_t next = std::min(capture_frame_time(o_, index_ + 1), o_.to_ms);
      samples_.clear();
      sound_.read(sample_at_show_time(now), sample_at_show_time(next), &samples_);
      outcome_ = outputs_.wav->write(samples_);
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
  Result<void> outcome_;
};

}  // namespace

int run_capture(const CaptureOptions& o) {
  install_stop_handlers();
  Outputs outputs;
  const Result<void> opened = outputs.open(o);
  if (!opened) return fail(opened.error());

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
    const Result<void> written = write_sound_file(outputs.video_sound->path(), sound_path, o);
    if (!written) return written.error().empty() ? 128 + stop_signal : fail(written.error());
    const Result<void> started = outputs.video->start(o.fps_num, o.fps_den, o.scale, outputs.video_sound->path());
    if (!started) return fail(started.error());
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
  Result<void> finished = platform.outcome();
  if (finished) finished = outputs.finish(platform.sheet());
  if (o.stats) {
    std::FILE* to = writes_standard_output(o) ? stderr : stdout;
    platform.stats().print(to);
    const ReducedFlashing& reduced = session.reduced_flashing();
    if (reduced.on()) std::fputs(softened_stretches_text(reduced.stretches()).c_str(), to);
  }

  if (!finished) return fail(finished.error());
  return stop_requested() ? 128 + stop_signal : 0;
}
