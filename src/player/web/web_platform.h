// The session's platform in the web page (emscripten): the page's clock,
// the web SDL's audio, the canvas and the keys, and in capture mode the
// frames handed to the page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/clock.h"
#include "player/web/frame_times.h"
#include "player/web/web_screen.h"
#include "show/session.h"

// Where the page's program is: the list being made into blank pictures, the
// pictures arriving, the show playing, the show at its end (which can
// start over), a capture running, or the end of the program's work (a
// quit, a capture done).
enum class Phase { listing, loading, playing, finished, capturing, ended };

const char* phase_name(Phase phase);

// The session's platform in the page: the page's clock, the web SDL's audio
// (the clock is anchored when the page's audio output says the moved sound
// is heard), the canvas, the keys; in capture mode, the frames handed to the
// page. Its fields are what the page's status reports.
class WebPlatform : public SessionPlatform {
 public:
  Phase phase = Phase::listing;
  std::unique_ptr<WebScreen> screen;
  FrameTimes times;
  SessionView shown;              // the frame last presented
  double clock_read_at_ms = 0;    // page time at which the last frame read the show clock
  bool anchored = false;
  int32_t audio_callbacks = 0;
  // Capturing: whether this frame ends a batch.
  bool show_this_frame = true;

  TickSource tick_source() override;
  // The first sound is timed by the page's audio output instead.
  SoundListener listener(ShowClock& clock) override { return {nullptr, ShowClock::hear_sound_from, &clock}; }
  void sound_moved(int32_t ms) override;
  bool clock_ready(ShowClock& clock) override;
  void start_sound() override;
  void present(const SessionView& view) override;
  // Capture mode takes no input.
  void poll(Session& session) override;

  // The page's status of the frame last presented, with `decoded` pictures.
  std::string status_json(int32_t decoded) const;

 private:
  int32_t sound_ms_ = 0;
};
