#include "show/startup.h"

#include <utility>

#include "show/picture_size_check.h"

ShowStartup::ShowStartup(StartupOptions options)
    : options_(std::move(options)), files_(find_data_folder(options_.data_dir)) {}

void ShowStartup::begin_pictures(int threads) {
  loading_ = std::make_unique<PictureLoading>(files_.picture_paths(), threads);
}

Result<void> ShowStartup::start_soundtrack(Soundtrack& music, int32_t chunk) {
  Result<void> opened = music.open(files_.soundtrack_path(), chunk);
  // A later start: the music from the sample heard at that show time.
  if (opened.ok() && options_.from_ms != 0) {
    opened = music.play_from(sample_at_show_time(options_.from_ms), options_.from_ms);
  }
  return opened;
}

PicturesOutcome ShowStartup::take_pictures(ImageStore loaded) {
  pictures_ = std::move(loaded);
  return {.stopped = false, .failure = picture_size_check(pictures_.images(), files_.picture_paths())};
}

PicturesOutcome ShowStartup::take_pictures(StopHook stop) {
  const StoreLoadResult loaded = loading_->finish(&pictures_, stop);
  loading_.reset();
  PicturesOutcome outcome;
  if (loaded.stopped()) {
    outcome.stopped = true;
  } else if (!loaded.loaded()) {
    outcome.failure = loaded.message();
  } else {
    // A picture too small for a rectangle a scene reads from it stops the
    // show here rather than being drawn wrongly.
    outcome.failure = picture_size_check(pictures_.images(), files_.picture_paths());
  }
  return outcome;
}
