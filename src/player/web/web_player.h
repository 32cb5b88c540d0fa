// The web player's state, shared by the page's calls and the frame
// function: everything the frames need outlives main(), since the browser
// calls the frame function long after main() has returned.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/image_store.h"
#include "music/soundtrack.h"
#include "player/web/picture_arrivals.h"
#include "player/web/web_capture.h"
#include "player/web/web_platform.h"
#include "show/flash_plan.h"
#include "show/session.h"
#include "show/startup.h"

struct WebPlayer {
  WebPlatform platform;
  std::unique_ptr<ShowStartup> startup;
  // The listed sizes, then the pictures as they arrive (decoded into the
  // store that `pictures`, later the session, holds).
  std::vector<PictureArrivals::Size> sizes;
  std::unique_ptr<PictureArrivals> arrivals;
  std::vector<int32_t> decoded;
  ImageStore pictures;  // until the session takes them
  std::vector<bool> ready_scenes;  // by cue: all the scene's pictures are here
  std::string caption;
  // The soundtrack, opened from its index and fed as its bytes arrive
  // (sava_web_sound_*); primed at sound_from_ms once its first frames are
  // here.
  std::unique_ptr<Soundtrack> music;
  int32_t sound_from_ms = 0;
  bool sound_primed = false;
  std::vector<uint8_t> sound_bytes;  // the page's bytes on their way in
  std::unique_ptr<Session> session;
  int32_t audio_delay_ms = 0;
  // What reduced flashing softens with the site's pictures, from its list.
  std::vector<SoftenedStretch> softened;
  std::optional<WebCapture> capture;
};

extern WebPlayer web_player;

// Ends the program with its one line; only the entry points (main, the
// frame function and the page's calls) call it.
[[noreturn]] void web_fail(const std::string& line);

// Tells the session the show time it may draw: the scenes whose pictures
// are here, where their sound is here too (after every arrival).
void tell_session_ready();
