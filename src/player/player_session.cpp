#include "player/player_session.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/frame.h"
#include "music/soundtrack.h"
#include "player/time_overlay.h"
#include "player/transport.h"
#include "show/cue_table.h"
#include "show/reduced_flashing.h"

namespace {

uint32_t sdl_ticks() { return SDL_GetTicks(); }

// How long a paused frame waits before the next look at the input.
constexpr uint32_t paused_frame_ms = 10;

// Points the show's clock at the platform's counter, reading `ms` now, and
// the soundtrack's reports at the clock.
void start_clock(Show& show, int32_t ms) {
  show.clock.use_source(sdl_ticks);
  show.clock.start_at(show.clock.ticks() - static_cast<uint32_t>(ms));
}

SoundListener listener_for(Show& show) { return {ShowClock::start_in, ShowClock::hear_sound_from, &show.clock}; }

bool write_words(const std::string& path, const std::vector<uint32_t>& words) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(words.data(), sizeof(uint32_t), words.size(), file) == words.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

PlayerSession::PlayerSession(ImageStore pictures, ScreenPresenter& screen, SDL_Surface* surface, Soundtrack& music,
                             int32_t start_ms)
    : screen_(screen),
      surface_(surface),
      music_(music),
      show_(std::make_unique<Show>(std::move(pictures), screen.pixels())) {
  start_clock(*show_, start_ms);
  if (start_ms != 0) {
    dispatch_cues(*show_, cue_table, start_ms);
    start_pending_ = true;
    start_ms_ = start_ms;
    hold_ms_ = start_ms;
  }
  // Show time start_ms is when the first sound is heard, and the clock
  // follows the sound from there.
  music_.listen(listener_for(*show_));
}

void PlayerSession::use_script(std::vector<ScriptStep> steps) { script_.emplace(std::move(steps)); }

void PlayerSession::restart_at(int32_t ms) {
  auto next = std::make_unique<Show>(show_->take_pictures(), screen_.pixels());
  // A quit that came with the seek (or ended the show) still holds.
  next->quit_requested = show_->quit_requested;
  // As a show started at this time finds them: a blank screen (the back
  // buffer is the new show's own) and the random numbers from their start.
  std::fill_n(screen_.pixels(), static_cast<size_t>(screen_width) * screen_height, 0u);
  std::srand(1);
  start_clock(*next, ms);
  dispatch_cues(*next, cue_table, ms);
  SDL_LockAudio();
  if (music_.play_from(sample_at_show_time(ms), ms).ok()) {
    music_.listen(listener_for(*next));
  } else {
    // The soundtrack could not be positioned and is closed: the device
    // plays silence and the clock runs on the ticks alone.
    music_.listen({});
  }
  SDL_UnlockAudio();
  // No callback refers to the old show's clock any more.
  show_ = std::move(next);
  start_pending_ = true;
  start_ms_ = ms;
  hold_ms_ = ms;
  if (script_) std::fprintf(stderr, "sava: start at %d ms\n", ms);
}

void PlayerSession::toggle_pause() {
  SDL_LockAudio();
  if (!paused_) {
    music_.pause(true);
  } else {
    // The clock goes on from the frame on screen and is anchored again by
    // the sound that follows.
    show_->clock.forget_sound();
    show_->clock.start_at(show_->clock.ticks() - static_cast<uint32_t>(position()));
    music_.pause(false);
    hold_ms_ = position();
  }
  SDL_UnlockAudio();
  paused_ = !paused_;
  if (script_) std::fprintf(stderr, "sava: %s at %d ms\n", paused_ ? "paused" : "resumed", position());
}

void PlayerSession::toggle_full_screen() {
  void* const pixels = surface_->pixels;
  // The show holds the surface's pixels when it draws into them directly: a
  // toggle that moved them is taken back.
  if (SDL_WM_ToggleFullScreen(surface_) != 0 && screen_.draws_direct() && surface_->pixels != pixels) {
    SDL_WM_ToggleFullScreen(surface_);
  }
}

void PlayerSession::act(PlayerAction action) {
  switch (action) {
    case PlayerAction::none:
      return;
    case PlayerAction::quit:
      show_->quit_requested = true;
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
      toggle_full_screen();
      return;
    default:
      break;
  }
  if (const auto target = seek_target(action, position(), current_cue(show_->next_cue), cue_table)) {
    restart_at(*target);
  }
}

void PlayerSession::poll_events() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    // The key fields are only meaningful for key events.
    const bool key_event = event.type == SDL_KEYUP || event.type == SDL_KEYDOWN;
    const int32_t key = key_event ? event.key.keysym.sym : 0;
    const uint32_t modifiers = key_event ? event.key.keysym.mod : 0;
    act(player_action(event.type, key, modifiers));
  }
}

bool PlayerSession::run_script() {
  for (const ScriptStep* step : script_->due(frames_, frame_time_)) {
    if (step->kind == ScriptStep::Kind::key) {
      // Pressed and released, through the input rule like any key.
      SDL_Event press{};
      press.type = SDL_KEYDOWN;
      press.key.state = SDL_PRESSED;
      press.key.keysym.sym = static_cast<SDLKey>(step->key);
      press.key.keysym.mod = static_cast<SDLMod>(step->modifiers);
      SDL_Event release = press;
      release.type = SDL_KEYUP;
      release.key.state = SDL_RELEASED;
      SDL_PushEvent(&press);
      SDL_PushEvent(&release);
      continue;
    }
    if (step->kind == ScriptStep::Kind::trace) {
      trace_.reset(std::fopen(step->path.c_str(), "w"));
      if (!trace_) {
        std::fprintf(stderr, "sava: cannot write %s: %s\n", step->path.c_str(), std::strerror(errno));
        return false;
      }
      continue;
    }
    const bool presented = step->kind == ScriptStep::Kind::dump_presented;
    // As sava-capture --raw writes it: with reduced flashing when on.
    const uint32_t* frame =
        reduced_flashing_.shown(screen_.pixels(), static_cast<size_t>(screen_width) * screen_height, frame_time_);
    const std::vector<uint32_t> words =
        presented ? screen_.presented_frame()
                  : std::vector<uint32_t>(frame, frame + static_cast<size_t>(screen_width) * screen_height);
    if (!write_words(step->path, words)) {
      std::fprintf(stderr, "sava: cannot write %s: %s\n", step->path.c_str(), std::strerror(errno));
      return false;
    }
    std::fprintf(stderr, "sava: frame at %d ms saved to %s\n", frame_time_, step->path.c_str());
  }
  return true;
}

int PlayerSession::run() {
  // Everything primed on this thread is handed to the audio thread now.
  // Unpausing does not go through the audio lock, so it alone does not
  // order those writes before the first callback's reads; taking and
  // releasing that lock once (the callback always runs under it) does.
  SDL_LockAudio();
  SDL_UnlockAudio();
  SDL_PauseAudio(0);

  while (!show_->quit_requested) {
    if (!paused_ || start_pending_) {
      int32_t now = 0;
      if (start_pending_) {
        now = start_ms_;
        start_pending_ = false;
      } else {
        now = std::max(show_->clock.read(), hold_ms_);
        // The loop never lets the next cue fire: its frame is the loop's
        // first instead.
        const auto back = looping_ ? loop_back_time(now, current_cue(show_->next_cue), cue_table) : std::nullopt;
        if (back) {
          restart_at(*back);
          now = *back;
          start_pending_ = false;
        }
      }
      frame_step(*show_, cue_table, now);
      frame_time_ = now;
      // Once held, frames never go back: when the clock is moved back onto
      // the sound (which starts a chunk later than the clock assumed, or
      // fell behind), the picture waits for it.
      if (hold_ms_ != INT32_MIN) hold_ms_ = now;
      if (trace_) std::fprintf(trace_.get(), "%d\n", now);
    }
    const uint32_t* shown = reduced_flashing_.shown(screen_.pixels(), static_cast<size_t>(screen_width) * screen_height, frame_time_);
    if (overlay_) {
      const int32_t cue = current_cue(show_->next_cue);
      const std::vector<std::string> lines =
          overlay_lines(frame_time_, cue, cue >= 0 && cue < cue_count ? cue_names[cue] : nullptr, paused_, looping_);
      screen_.present(&lines, shown);
    } else {
      screen_.present(nullptr, shown);
    }
    if (script_ && !run_script()) {
      status_ = 1;
      break;
    }
    poll_events();
    ++frames_;
    if (paused_) SDL_Delay(paused_frame_ms);
  }
  return status_;
}
