// One running show and the moves through it: frames on the show clock, a
// start at any time, pause, seeks, the scene loop and the time overlay's
// switch. The platform is reached only through SessionPlatform (its tick
// counter, its audio lock, presenting a frame, its input), so that the
// desktop player and the web page run the very same session, and the offline
// renderer drives it on a virtual clock (frame_at).
//
// A start at a time other than 0 and every seek make a new Show for that
// time (the pictures are handed on, not loaded again): the cues up to it fire
// before its first frame, which is drawn at exactly that time, and the music
// is moved to its sample under the audio lock. The first frame of every start
// stays until its sound is heard, and later frames never go below the frame
// before. A pause stops the sound; the picture runs on until what the device
// was already given has been heard, and both go on from there.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/clock.h"
#include "image/image_store.h"
#include "music/soundtrack.h"
#include "show/reduced_flashing.h"
#include "show/show.h"
#include "show/softening_feed.h"
#include "show/transport.h"

// What a presented frame shows, for the platform (the time overlay, scripts,
// the web page's status).
struct SessionView {
  // The frame as shown: the screen the show drew into, or with reduced
  // flashing a softened copy of it (valid until the next frame).
  const uint32_t* frame = nullptr;
  int32_t time_ms = 0;  // show time of the frame on screen
  int32_t cue = -1;     // the cue whose scene is on screen (-1 before the first)
  bool paused = false;
  // Why the session holds by itself (null: it does not), whether paused or
  // not: it goes on once the show is ready there.
  const char* hold = nullptr;
  bool looping = false;
  bool overlay = false;  // the time overlay is on
  int32_t audio_delay_ms = 0;  // Session::set_audio_delay
  bool drawn = false;    // the frame was drawn for this presentation (not a paused one shown again)
  int64_t frames = 0;    // frames presented before this one
};

// A stretch of show time: from_ms up to (not including) to_ms.
struct ShowStretch {
  int32_t from_ms = 0;
  int32_t to_ms = 0;
};

// The moves a platform may want to tell about.
enum class SessionMove { start, pause, resume };

class Session;

// What a session needs of its platform.
class SessionPlatform {
 public:
  virtual ~SessionPlatform() = default;

  // The millisecond tick counter the show clock runs on.
  virtual TickSource tick_source() = 0;
  // Held around every change of the soundtrack's position or pause: the
  // device's callback does not run meanwhile.
  virtual void lock_audio() {}
  virtual void unlock_audio() {}
  // The device starts handing out the sound (after the start tick).
  virtual void start_sound() {}
  // Who the soundtrack tells about its sound for `clock`: by default the
  // first callback anchors it (the sound is heard one chunk later) and every
  // callback tells how far the sound reaches.
  virtual SoundListener listener(ShowClock& clock) {
    return {ShowClock::start_in, ShowClock::hear_sound_from, &clock};
  }
  // The sound was just moved to show time `ms` (a start, a seek, a resume),
  // under the audio lock.
  virtual void sound_moved(int32_t /*ms*/) {}
  // Asked right before the clock is read for a frame: false holds the
  // picture for now (a platform that learns later when the moved sound is
  // heard, and anchors `clock` itself then).
  virtual bool clock_ready(ShowClock& /*clock*/) { return true; }
  // Shows the frame in the screen buffer.
  virtual void present(const SessionView& view) = 0;
  // Hands the input that arrived since the last frame to session.act().
  virtual void poll(Session& session) = 0;
  // After a paused or held frame, before the next look at the input.
  virtual void wait_while_paused() {}
  virtual void toggle_full_screen() {}
  // A move was made, at show time `ms`.
  virtual void moved(SessionMove /*move*/, int32_t /*ms*/) {}
};

class Session {
 public:
  // A session drawing from `pictures` into `screen_pixels` (as Show takes
  // them), starting at show time `start_ms`. `music` is the soundtrack the
  // platform's device plays, opened and positioned at `start_ms`, the device
  // still paused (null: a show without sound). With `reduce_flashing` the
  // frames are shown with reduced flashing (the show is run ahead here, a
  // few seconds of work, to find what to soften). The clock's start tick is
  // taken here.
  Session(ImageStore pictures, uint32_t* screen_pixels, SessionPlatform& platform, Soundtrack* music,
          int32_t start_ms, bool reduce_flashing = false);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Starts the sound (the device starts handing it out).
  void start();
  // Starts the sound, then runs frames until the show ends or is quit.
  void run();
  // One frame on the show clock: drawn (unless paused), presented, input
  // handled.
  void frame();
  // One frame at show time `now` on a virtual clock (no sound, no hold):
  // drawn, presented, input handled.
  void frame_at(int32_t now);

  // What an input event asked.
  void act(PlayerAction action);
  // A seek to show time `ms` (a timeline's), kept inside the show: as the
  // keys' seeks, the next frame is drawn at exactly that time.
  void seek_to(int32_t ms);
  // Only `ready` can be drawn from now on (until now: the whole show; the
  // end is always ready). Where a frame is not, the session holds, picture
  // and sound, and goes on by itself once it is ready there and `ahead_ms`
  // further on.
  void set_ready(std::vector<ShowStretch> ready, int32_t ahead_ms);

  // From the next frame on, shown with reduced flashing or not (each frame
  // shown depends on its show time and the frame drawn alone, so this may
  // change at any time). Turned on for the first time, the show is run ahead
  // to find what to soften, which takes its random numbers: it goes on as
  // after a seek to the frame on screen.
  void reduce_flashing(bool on);
  // Reduced flashing from stretches found beforehand for these very pictures
  // (an edge whose pictures arrive while the show plays cannot run the show
  // ahead over them), on or off; later turns use them too.
  void use_softened_stretches(std::vector<SoftenedStretch> stretches, bool on);
  // Reduced flashing, on, from a search over these very pictures still
  // running (a SofteningWorker over pictures()): before every frame the
  // session takes what `feed` has found, and only what it has settled is
  // ready (set_ready), so each frame shown is the one the whole search
  // gives. `feed` outlives the session or the search's end.
  void follow_softening(SofteningFeed* feed);
  // Before follow_softening: until the search has settled this much past
  // where the session holds, the hold goes on.
  static constexpr int32_t softening_ahead_ms = 1000;
  // How much later than the device says the sound is heard (ms, held within
  // +-audio_delay_limit_ms): the picture waits as long. Taken on smoothly.
  void set_audio_delay(int32_t ms);
  // What each delay key changes it by.
  static constexpr int32_t audio_delay_step_ms = 10;
  // The delay after `action` (a delay key: one step, held within the
  // limits; any other action: unchanged).
  static int32_t stepped_audio_delay(int32_t ms, PlayerAction action);
  int32_t audio_delay() const { return audio_delay_ms_; }
  // Ends the show after the current frame.
  void quit() {
    quit_ = true;
    show_->quit_requested = true;
  }
  // The show is over: it reached its end, or was quit.
  bool ended() const { return show_->quit_requested; }
  // It is over because it reached its end (its last cue), not by a quit:
  // the session can start it again.
  bool finished() const { return ended() && !quit_; }
  // After the show's end (either way): starts it again at show time `ms`
  // (kept inside the show, as seek_to), playing even if it was paused.
  void start_over(int32_t ms);

  SessionView view() const;
  Show& show() { return *show_; }
  // The pictures every show of the session draws from, as loaded.
  const ImageStore& pictures() const { return pictures_; }
  const ReducedFlashing& reduced_flashing() const { return reduced_flashing_; }

 private:
  void start_clock(Show& show, int32_t ms);
  void listen(Show& show);
  void move_sound(Show& show, int32_t ms);
  void restart_at(int32_t ms);
  int32_t stop_at(bool stop, int32_t at);
  void toggle_pause();
  bool ready_at(int32_t ms) const;
  void update_hold(int32_t next_ms);
  int32_t next_frame_time();
  void draw(int32_t now);
  void finish_frame(bool drawn);
  void take_softening();
  // The show time the session is at: that of the frame on screen, or of the
  // start about to be drawn.
  int32_t position() const { return start_pending_ ? start_ms_ : frame_time_; }

  SessionPlatform& platform_;
  Soundtrack* music_;
  uint32_t* screen_pixels_;
  // Owned here, read by the shows (and a search beside them).
  ImageStore pictures_;
  ReducedFlashing reduced_flashing_;
  SofteningFeed* softening_feed_ = nullptr;
  bool plan_on_restart_ = false;  // the next restart finds what to soften first
  std::unique_ptr<Show> show_;

  bool paused_ = false;
  bool quit_ = false;  // quit() was called
  bool held_ = false;
  const char* hold_reason_ = "waiting for data";
  bool all_ready_ = true;
  std::vector<ShowStretch> ready_;
  int32_t ready_ahead_ms_ = 0;
  bool looping_ = false;
  bool overlay_ = false;
  // The next frame is the first of a start at start_ms_, drawn at exactly
  // that time; later frames never go below hold_ms_, the time of the frame
  // before.
  bool start_pending_ = false;
  int32_t start_ms_ = 0;
  int32_t hold_ms_ = INT32_MIN;
  int32_t frame_time_ = 0;
  int64_t frames_ = 0;
  // Paused, the picture runs on to this time (where the sound stopped).
  int32_t pause_at_ = 0;
  int32_t audio_delay_ms_ = 0;
};
