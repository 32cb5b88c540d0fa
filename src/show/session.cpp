#include "show/session.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/frame.h"
#include "show/cue_table.h"

Session::Session(ImageStore pictures, uint32_t* screen_pixels, SessionPlatform& platform, Soundtrack* music,
                 int32_t start_ms, bool reduce_flashing)
    : platform_(platform),
      music_(music),
      screen_pixels_(screen_pixels),
      pictures_(std::move(pictures)),
      reduced_flashing_(reduce_flashing ? ReducedFlashing(find_softened_stretches(pictures_)) : ReducedFlashing()),
      show_(std::make_unique<Show>(&pictures_, screen_pixels)) {
  start_clock(*show_, start_ms);
  if (start_ms != 0) {
    dispatch_cues(*show_, cue_table, start_ms);
    start_pending_ = true;
    start_ms_ = start_ms;
  }
  // Frames never go below the start.
  hold_ms_ = start_ms;
  // Show time start_ms is when the first sound is heard, and the clock
  // follows the sound from there.
  if (music_ != nullptr) {
    listen(*show_);
    platform_.sound_moved(start_ms);
  }
}

void Session::start_clock(Show& show, int32_t ms) {
  show.clock.use_source(platform_.tick_source());
  show.clock.start_at(show.clock.ticks() - static_cast<uint32_t>(ms));
  show.clock.set_delay(audio_delay_ms_);
  // The first frame stays until its sound is heard.
  if (music_ != nullptr) show.clock.hold_until_sound(ms);
}

int32_t Session::stepped_audio_delay(int32_t ms, PlayerAction action) {
  const int32_t step = action == PlayerAction::delay_later     ? audio_delay_step_ms
                       : action == PlayerAction::delay_earlier ? -audio_delay_step_ms
                                                               : 0;
  return std::clamp(ms + step, -audio_delay_limit_ms, audio_delay_limit_ms);
}

void Session::set_audio_delay(int32_t ms) {
  audio_delay_ms_ = std::clamp(ms, -audio_delay_limit_ms, audio_delay_limit_ms);
  show_->clock.set_delay(audio_delay_ms_);
}

void Session::listen(Show& show) { music_->listen(platform_.listener(show.clock)); }

// Under the audio lock.
void Session::move_sound(Show& show, int32_t ms) {
  if (music_ == nullptr) return;
  if (music_->play_from(sample_at_show_time(ms), ms).ok()) {
    listen(show);
  } else {
    // The soundtrack could not be positioned and is closed: the device
    // plays silence and the clock runs on the ticks alone.
    music_->listen({});
  }
  platform_.sound_moved(ms);
}

void Session::restart_at(int32_t ms) {
  // The old show's objects go before the next show starts.
  show_->display_list.clear();
  if (plan_on_restart_) {
    reduced_flashing_ = ReducedFlashing(find_softened_stretches(pictures_));
    plan_on_restart_ = false;
  }
  auto next = std::make_unique<Show>(&pictures_, screen_pixels_);
  // A quit that came with the seek (or ended the show) still holds.
  next->quit_requested = show_->quit_requested;
  // As a show started at this time finds them: a blank screen (the back
  // buffer and the random numbers are the new show's own).
  std::fill_n(screen_pixels_, static_cast<size_t>(screen_width) * screen_height, 0u);
  start_clock(*next, ms);
  dispatch_cues(*next, cue_table, ms);
  platform_.lock_audio();
  move_sound(*next, ms);
  platform_.unlock_audio();
  // No callback refers to the old show's clock any more.
  show_ = std::move(next);
  start_pending_ = true;
  start_ms_ = ms;
  hold_ms_ = ms;
  // A seek while paused stays on its first frame.
  pause_at_ = ms;
  platform_.moved(SessionMove::start, ms);
}

// Stops or restarts picture and sound, for a pause or a hold; returns the
// show time they stop or go on at. The sound already handed out to the
// device is still heard after a stop: the picture runs on with it to its end
// (unless a hold keeps it where it is) and both go on from there, the sound
// from that very sample and the clock anchored again by it.
int32_t Session::stop_at(bool stop, int32_t at) {
  platform_.lock_audio();
  if (stop) {
    if (music_ != nullptr) {
      music_->pause(true);
      if (music_->is_open()) at = std::max<int32_t>(at, static_cast<int32_t>(music_->next_sound_ms()));
    }
    pause_at_ = at;
  } else {
    at = pause_at_;
    show_->clock.forget_sound();
    start_clock(*show_, at);
    if (music_ != nullptr) music_->pause(false);
    if (music_ != nullptr && music_->is_open() && music_->next_sound_ms() == at) {
      // The sound goes on with its very next sample.
      platform_.sound_moved(at);
    } else {
      move_sound(*show_, at);
    }
    hold_ms_ = at;
    if (frame_time_ != at) {
      start_pending_ = true;
      start_ms_ = at;
    }
  }
  platform_.unlock_audio();
  return at;
}

void Session::toggle_pause() {
  int32_t at = position();
  if (!held_) at = stop_at(!paused_, at);
  paused_ = !paused_;
  platform_.moved(paused_ ? SessionMove::pause : SessionMove::resume, at);
}

void Session::set_ready(std::vector<ShowStretch> ready, int32_t ahead_ms) {
  ready_ = std::move(ready);
  all_ready_ = false;
  ready_ahead_ms_ = ahead_ms;
}

bool Session::ready_at(int32_t ms) const {
  // A clock read before the first sound is heard is the first scene's.
  ms = std::max(ms, 0);
  if (all_ready_ || ms >= cue_table[cue_count - 1].time_ms) return true;
  return std::any_of(ready_.begin(), ready_.end(),
                     [ms](const ShowStretch& s) { return s.from_ms <= ms && ms < s.to_ms; });
}

// A hold begins where the frame to draw is not ready, and ends by itself
// once the show is ready there and ready_ahead_ms_ further on (or up to the
// end), so that it does not stop again at once. A pause made meanwhile
// still holds after it.
void Session::update_hold(int32_t next_ms) {
  const int32_t at = position();
  if (!held_ && (!ready_at(at) || !ready_at(next_ms))) {
    if (!paused_) stop_at(true, at);
    held_ = true;
  } else if (held_ && ready_at(at) &&
             ready_at(std::min(at + ready_ahead_ms_, cue_table[cue_count - 1].time_ms))) {
    held_ = false;
    if (!paused_) stop_at(false, at);
  }
}

void Session::act(PlayerAction action) {
  switch (action) {
    case PlayerAction::none:
      return;
    case PlayerAction::quit:
      quit();
      return;
    case PlayerAction::pause:
      toggle_pause();
      return;
    case PlayerAction::loop:
      looping_ = !looping_;
      return;
    case PlayerAction::overlay:
      overlay_ = !overlay_;
      return;
    case PlayerAction::full_screen:
      platform_.toggle_full_screen();
      return;
    case PlayerAction::delay_later:
    case PlayerAction::delay_earlier:
      set_audio_delay(stepped_audio_delay(audio_delay_ms_, action));
      return;
    default:
      break;
  }
  if (const auto target = seek_target(action, position(), current_cue(show_->next_cue), cue_table)) {
    restart_at(*target);
  }
}

void Session::seek_to(int32_t ms) {
  const int32_t last = cue_table[cue_count - 1].time_ms - 1;
  restart_at(std::clamp(ms, 0, last));
}

void Session::start_over(int32_t ms) {
  quit_ = false;
  show_->quit_requested = false;
  seek_to(ms);
  if (paused_) toggle_pause();
}

void Session::reduce_flashing(bool on) {
  if (on && !reduced_flashing_.planned()) {
    plan_on_restart_ = true;
    restart_at(position());
    return;
  }
  reduced_flashing_.set_on(on);
}

void Session::use_softened_stretches(std::vector<SoftenedStretch> stretches, bool on) {
  reduced_flashing_ = ReducedFlashing(std::move(stretches));
  reduced_flashing_.set_on(on);
  plan_on_restart_ = false;
}

void Session::follow_softening(SofteningFeed* feed) {
  use_softened_stretches({}, true);
  softening_feed_ = feed;
  hold_reason_ = "finding what to soften";
  set_ready({}, softening_ahead_ms);
  take_softening();
}

void Session::take_softening() {
  SofteningProgress progress;
  if (softening_feed_ == nullptr || !softening_feed_->take(&progress)) return;
  use_softened_stretches(std::move(progress.stretches), reduced_flashing_.on());
  set_ready({{0, progress.settled_ms}}, softening_ahead_ms);
  // Settled to the end: every frame is ready from now on.
  if (progress.settled_ms >= cue_table[cue_count - 1].time_ms) softening_feed_ = nullptr;
}

SessionView Session::view() const {
  SessionView view;
  view.time_ms = position();
  view.cue = current_cue(show_->next_cue);
  view.paused = paused_;
  view.hold = held_ ? hold_reason_ : nullptr;
  view.looping = looping_;
  view.overlay = overlay_;
  view.audio_delay_ms = audio_delay_ms_;
  view.frames = frames_;
  return view;
}

int32_t Session::next_frame_time() {
  if (start_pending_) return start_ms_;
  int32_t now = std::max(show_->clock.read(), hold_ms_);
  if (paused_) now = std::min(now, pause_at_);
  // The loop never lets the next cue fire: its frame is the loop's first
  // instead.
  const auto back = looping_ ? loop_back_time(now, current_cue(show_->next_cue), cue_table) : std::nullopt;
  if (!back) return now;
  restart_at(*back);
  return *back;
}

void Session::draw(int32_t now) {
  start_pending_ = false;
  frame_step(*show_, cue_table, now);
  frame_time_ = now;
  // Frames never go back: when the clock is moved back onto the sound (it
  // fell behind, or a stall), the picture waits for it.
  hold_ms_ = now;
}

void Session::finish_frame(bool drawn) {
  SessionView shown = view();
  shown.frame =
      reduced_flashing_.shown(screen_pixels_, static_cast<size_t>(screen_width) * screen_height, frame_time_);
  shown.drawn = drawn;
  platform_.present(shown);
  platform_.poll(*this);
  ++frames_;
  // Nothing moves while paused or held: no frame needs drawing at once
  // (a hold for the search for what to soften leaves the processor to it).
  if (paused_ || held_) platform_.wait_while_paused();
}

void Session::frame() {
  take_softening();
  update_hold(position());
  const bool ready = platform_.clock_ready(show_->clock);
  // Paused, the picture runs on to where the sound stopped.
  bool drawn = !held_ && (start_pending_ || ((!paused_ || frame_time_ < pause_at_) && ready));
  if (drawn) {
    const int32_t now = next_frame_time();
    if (ready_at(now)) {
      draw(now);
    } else {
      // The clock ran into what is not ready: the frame on screen stays.
      drawn = false;
      update_hold(now);
    }
  }
  finish_frame(drawn);
}

void Session::frame_at(int32_t now) {
  draw(now);
  finish_frame(true);
}

void Session::start() { platform_.start_sound(); }

void Session::run() {
  start();
  while (!ended()) frame();
}
