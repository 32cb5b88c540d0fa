// The running show in the player: frames on the show clock, the input rule
// carried out (pause, seeks, scene loop, time overlay, full screen), and the
// scripted input. A start at a time other than 0 and every seek make a new
// Show for that time (the pictures are handed on, not loaded again): the
// cues up to it fire before its first frame, which is drawn at exactly that
// time, and the music is moved to its sample under the audio lock.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include "base/file_handle.h"
#include "image/image_store.h"
#include "music/soundtrack.h"
#include "player/input_script.h"
#include "player/launch.h"
#include "player/sdl_screen.h"
#include "show/reduced_flashing.h"
#include "show/show.h"

class PlayerSession {
 public:
  // `music` is the device's soundtrack, opened and positioned at `start_ms`
  // (Soundtrack::play_from) while the device is still paused.
  PlayerSession(ImageStore pictures, ScreenPresenter& screen, SDL_Surface* surface, Soundtrack& music,
                int32_t start_ms);
  PlayerSession(const PlayerSession&) = delete;
  PlayerSession& operator=(const PlayerSession&) = delete;

  // Steps to carry out as frames are shown; each move is then also told on
  // the standard error stream.
  void use_script(std::vector<ScriptStep> steps);
  // Shows the frames with reduced flashing (the presenter must not let the
  // show draw into the surface).
  void reduce_flashing() { reduced_flashing_ = ReducedFlashing(true); }

  // Starts the sound and runs frames until the show ends or is quit.
  // Returns the exit status: 0, or 1 after a line on the standard error
  // stream if a scripted frame could not be saved.
  int run();

 private:
  void restart_at(int32_t ms);
  void toggle_pause();
  void toggle_full_screen();
  void act(PlayerAction action);
  void poll_events();
  bool run_script();
  // The show time the player is at: that of the frame on screen, or of the
  // start about to be drawn.
  int32_t position() const { return start_pending_ ? start_ms_ : frame_time_; }

  ScreenPresenter& screen_;
  SDL_Surface* surface_;
  Soundtrack& music_;
  std::unique_ptr<Show> show_;

  bool paused_ = false;
  bool looping_ = false;
  bool overlay_ = false;
  // The next frame is the first of a start at start_ms_, drawn at exactly
  // that time; later frames never go below hold_ms_, the time of the frame
  // before (the clock reads a little less until the moved sound is heard).
  // The plain start at 0 has neither until a key is pressed: its frames
  // follow the clock from the first.
  bool start_pending_ = false;
  int32_t start_ms_ = 0;
  int32_t hold_ms_ = INT32_MIN;
  int32_t frame_time_ = 0;
  int64_t frames_ = 0;
  std::optional<ScriptRunner> script_;
  FileHandle trace_;  // the script's frame times
  int status_ = 0;
  ReducedFlashing reduced_flashing_{false};
};
