// The session's platform on the desktop: the video library's tick counter,
// audio lock and device, the presenter (with the time overlay), its events
// through the input rule, full screen, and the scripted input.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "base/file_handle.h"
#include "player/input_script.h"
#include "player/sdl_screen.h"
#include "player/server_latency.h"
#include "show/session.h"

class DesktopPlatform : public SessionPlatform {
 public:
  DesktopPlatform(ScreenPresenter& screen, SDL_Surface* surface) : screen_(screen), surface_(surface) {}

  // Steps to carry out as frames are shown; each move is then also told on
  // the standard error stream.
  void use_script(std::vector<ScriptStep> steps) { script_.emplace(std::move(steps)); }
  // 0, or 1 after a line on the standard error stream if a scripted frame
  // could not be saved (the show is then ended).
  int status() const { return status_; }

  // Whether the audio device's sound is heard as it plays (not the silent
  // or the file-writing driver, which keep no time of their own): only then
  // does the clock follow it past the first sound.
  void follow_sound(bool follow) { follow_sound_ = follow; }
  // The sound server's word on what it holds, when it was opened: the clock
  // then counts that instead of one chunk.
  void use_server_latency(ServerLatency* latency) { latency_ = latency; }

  TickSource tick_source() override;
  SoundListener listener(ShowClock& clock) override;
  void lock_audio() override { SDL_LockAudio(); }
  void unlock_audio() override { SDL_UnlockAudio(); }
  void start_sound() override;
  void present(const SessionView& view) override;
  void poll(Session& session) override;
  void wait_while_paused() override;
  void toggle_full_screen() override;
  void moved(SessionMove move, int32_t ms) override;

 private:
  bool run_script(const SessionView& view);

  ScreenPresenter& screen_;
  SDL_Surface* surface_;
  std::optional<ScriptRunner> script_;
  FileHandle trace_;  // the script's frame times
  SessionView shown_;
  bool drawn_once_ = false;  // the show has drawn a frame
  int status_ = 0;
  bool follow_sound_ = true;
  ServerLatency* latency_ = nullptr;
  std::optional<ServerClockListener> server_listener_;
};
