#include "player/desktop_platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "player/input_rule.h"
#include "player/time_overlay.h"

namespace {

uint32_t sdl_ticks() { return SDL_GetTicks(); }

// How long a paused frame waits before the next look at the input.
constexpr uint32_t paused_frame_ms = 10;

bool write_words(const std::string& path, const std::vector<uint32_t>& words) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(words.data(), sizeof(uint32_t), words.size(), file) == words.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

TickSource DesktopPlatform::tick_source() { return sdl_ticks; }

SoundListener DesktopPlatform::listener(ShowClock& clock) {
  if (follow_sound_ && latency_ != nullptr && latency_->is_open()) {
    server_listener_.emplace(clock, *latency_);
    return server_listener_->listener();
  }
  if (follow_sound_) return SessionPlatform::listener(clock);
  // Anchored by the first sound, then on the ticks.
  return {ShowClock::start_in, nullptr, &clock};
}

void DesktopPlatform::start_sound() {
  // Everything primed on this thread is handed to the audio thread now.
  // Unpausing does not go through the audio lock, so it alone does not
  // order those writes before the first callback's reads; taking and
  // releasing that lock once (the callback always runs under it) does.
  SDL_LockAudio();
  SDL_UnlockAudio();
  SDL_PauseAudio(0);
}

void DesktopPlatform::present(const SessionView& view) {
  shown_ = view;
  if (view.drawn && trace_) std::fprintf(trace_.get(), "%d\n", view.time_ms);
  // A hold tells its reason even with the overlay off.
  if (view.overlay || view.hold != nullptr) {
    const std::vector<std::string> lines = overlay_lines_for(view);
    screen_.present(&lines, view.frame);
  } else {
    screen_.present(nullptr, view.frame);
  }
}

void DesktopPlatform::poll(Session& session) {
  if (script_ && !run_script(shown_)) {
    status_ = 1;
    session.quit();
    return;
  }
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    // The key fields are only meaningful for key events.
    const bool key_event = event.type == SDL_KEYUP || event.type == SDL_KEYDOWN;
    const int32_t key = key_event ? event.key.keysym.sym : 0;
    const uint32_t modifiers = key_event ? event.key.keysym.mod : 0;
    session.act(player_action(event.type, key, modifiers));
  }
}

void DesktopPlatform::wait_while_paused() { SDL_Delay(paused_frame_ms); }

void DesktopPlatform::toggle_full_screen() {
  void* const pixels = surface_->pixels;
  // The show holds the surface's pixels when it draws into them directly: a
  // toggle that moved them is taken back.
  if (SDL_WM_ToggleFullScreen(surface_) != 0 && screen_.draws_direct() && surface_->pixels != pixels) {
    SDL_WM_ToggleFullScreen(surface_);
  }
}

void DesktopPlatform::moved(SessionMove move, int32_t ms) {
  if (!script_) return;
  switch (move) {
    case SessionMove::start: std::fprintf(stderr, "sava: start at %d ms\n", ms); break;
    case SessionMove::pause: std::fprintf(stderr, "sava: paused at %d ms\n", ms); break;
    case SessionMove::resume: std::fprintf(stderr, "sava: resumed at %d ms\n", ms); break;
  }
}

bool DesktopPlatform::run_script(const SessionView& view) {
  // The steps start with the first frame the show draws: a hold before it
  // (reduced flashing still finding what to soften there) counts for none.
  if (!view.drawn && !drawn_once_) return true;
  drawn_once_ = true;
  for (const ScriptStep* step : script_->due(view.frames, view.time_ms)) {
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
      trace_.reset(std::fopen(step->path.c_str(), "wb"));
      if (!trace_) {
        std::fprintf(stderr, "sava: cannot write %s: %s\n", step->path.c_str(), std::strerror(errno));
        return false;
      }
      continue;
    }
    const bool presented = step->kind == ScriptStep::Kind::dump_presented;
    // As sava-capture --raw writes it: with reduced flashing when on.
    const uint32_t* frame = view.frame;
    const std::vector<uint32_t> words =
        presented ? screen_.presented_frame()
                  : std::vector<uint32_t>(frame, frame + static_cast<size_t>(screen_width) * screen_height);
    if (!write_words(step->path, words)) {
      std::fprintf(stderr, "sava: cannot write %s: %s\n", step->path.c_str(), std::strerror(errno));
      return false;
    }
    std::fprintf(stderr, "sava: frame at %d ms saved to %s\n", view.time_ms, step->path.c_str());
  }
  return true;
}
