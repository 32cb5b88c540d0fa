// The show's start-up, shared by the player, the offline renderer and the web
// page: the data found, the pictures loaded and checked, the soundtrack
// opened at the start time, each step's failure as its exact start-up line.
// The steps are taken one by one, so that each edge keeps its own platform
// steps (video, audio device, window) in their place of the start-up order
// between them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "image/image_store.h"
#include "image/picture_loading.h"
#include "base/result.h"
#include "image/stop_hook.h"
#include "music/soundtrack.h"
#include "show/data_folder.h"

// What a start asks for (from the command line or the page).
struct StartupOptions {
  std::string data_dir;  // folder of the show's files; empty: found as data_folder.h tells
  int32_t from_ms = 0;   // show time to start at
  bool reduce_flashing = false;
};

// How the pictures' step ended: ready, stopped by a stop request (the show
// never starts), or refused with its start-up line.
struct [[nodiscard]] PicturesOutcome {
  bool stopped = false;
  std::string failure;
  bool ready() const { return !stopped && failure.empty(); }
};

class ShowStartup {
 public:
  // Finds the data folder.
  explicit ShowStartup(StartupOptions options);
  ShowStartup(const ShowStartup&) = delete;
  ShowStartup& operator=(const ShowStartup&) = delete;

  const StartupOptions& options() const { return options_; }
  const ShowFiles& files() const { return files_; }

  // Starts decoding the pictures on `threads` workers, so that the caller
  // can start its platform meanwhile (0: they are decoded on this thread in
  // take_pictures).
  void begin_pictures(int threads);

  // Opens `music` for a device of `chunk` bytes per callback, at the sample
  // of the start time; refused with the start-up line.
  Result<void> start_soundtrack(Soundtrack& music, int32_t chunk);

  // The pictures' outcome, waited for while asking `stop` (may be empty),
  // and the check that every picture is large enough for the scenes. After
  // begin_pictures.
  PicturesOutcome take_pictures(StopHook stop);
  // The same for pictures the edge loaded its own way (the web page decodes
  // them a few per animation frame): the size check.
  PicturesOutcome take_pictures(ImageStore loaded);
  // A start time chosen once the start-up is under way (the web page's link
  // into the show, known when Play is pressed); before the soundtrack is opened.
  void start_at(int32_t from_ms) { options_.from_ms = from_ms; }
  // The loaded pictures, once take_pictures was ready.
  ImageStore pictures() { return std::move(pictures_); }

 private:
  StartupOptions options_;
  ShowFiles files_;
  std::unique_ptr<PictureLoading> loading_;
  ImageStore pictures_;
};
