#include "player/web/web_platform.h"

#include <SDL.h>
#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "player/input_rule.h"
#include "player/time_overlay.h"
#include "player/web/web_audio.h"
#include "player/web/web_page.h"

namespace {

uint32_t web_ticks() { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }

// The web SDL numbers its events, keys and modifiers its own way: they are
// told to the shared input rule in its terms. Keys without a character come
// as their scan code plus 1024.
constexpr int32_t web_key_of_scancode(int32_t scancode) { return scancode | 1 << 10; }

PlayerAction action_of(const SDL_Event& event) {
  if (event.type == SDL_QUIT) return player_action(event_quit, 0, 0);
  if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return PlayerAction::none;
  struct KeyName {
    int32_t web;
    int32_t key;
  };
  static constexpr KeyName keys[] = {
      {SDLK_ESCAPE, key_escape},
      {SDLK_SPACE, key_space},
      {SDLK_l, key_letter_l},
      {SDLK_t, key_letter_t},
      {SDLK_RETURN, key_return},
      {SDLK_EQUALS, key_equals},
      {SDLK_PLUS, key_plus},
      {SDLK_MINUS, key_minus},
      {web_key_of_scancode(SDL_SCANCODE_KP_PLUS), key_keypad_plus},
      {web_key_of_scancode(SDL_SCANCODE_KP_MINUS), key_keypad_minus},
      {web_key_of_scancode(SDL_SCANCODE_RIGHT), key_right},
      {web_key_of_scancode(SDL_SCANCODE_LEFT), key_left},
      {web_key_of_scancode(SDL_SCANCODE_HOME), key_home},
      {web_key_of_scancode(SDL_SCANCODE_PAGEUP), key_page_up},
      {web_key_of_scancode(SDL_SCANCODE_PAGEDOWN), key_page_down},
      {web_key_of_scancode(SDL_SCANCODE_KP_ENTER), key_keypad_enter},
  };
  int32_t key = 0;
  for (const KeyName& k : keys) {
    if (static_cast<int32_t>(event.key.keysym.sym) == k.web) key = k.key;
  }
  const uint32_t mod = event.key.keysym.mod;
  const uint32_t modifiers = (mod & KMOD_SHIFT ? modifier_shift : 0) | (mod & KMOD_CTRL ? modifier_ctrl : 0) |
                             (mod & KMOD_ALT ? modifier_alt : 0) | (mod & KMOD_GUI ? modifier_meta : 0);
  return player_action(event.type == SDL_KEYDOWN ? event_key_down : event_key_up, key, modifiers);
}

}  // namespace
const char* phase_name(Phase phase) {
  switch (phase) {
    case Phase::listing: return "listing";
    case Phase::loading: return "loading";
    case Phase::playing: return "playing";
    case Phase::finished: return "finished";
    case Phase::capturing: return "capturing";
    case Phase::ended: return "ended";
  }
  return "?";
}

TickSource WebPlatform::tick_source() { return web_ticks; }

void WebPlatform::sound_moved(int32_t ms) {
  web_audio_sound_moved();
  anchored = false;
  sound_ms_ = ms;
  page_moved(ms);
}

bool WebPlatform::clock_ready(ShowClock& clock) {
  // Show time sound_ms_ is when the first moved sample is heard: until the
  // output clock says when that is, the picture holds; from then on the
  // clock follows what the output clock says, every frame.
  const double heard_ms = web_audio_first_sound_ms();
  if (heard_ms >= 0) {
    clock.sound_heard_from(heard_ms - sound_ms_);
    anchored = true;
  }
  clock_read_at_ms = emscripten_get_now();
  return anchored;
}

void WebPlatform::start_sound() { SDL_PauseAudio(0); }

void WebPlatform::present(const SessionView& view) {
  const double rendered = emscripten_get_now();
  // The page shows its note while the session holds for the network.
  if ((view.hold != nullptr) != (shown.hold != nullptr)) page_waiting(view.hold != nullptr, view.time_ms);
  if (view.audio_delay_ms != shown.audio_delay_ms) page_audio_delay_changed(view.audio_delay_ms);
  shown = view;
  if (phase == Phase::capturing) {
    page_capture_frame(view.frame, static_cast<int>(screen->byte_size()));
    if (show_this_frame) screen->present(view.frame);
    times.add(rendered - clock_read_at_ms, 0);
    return;
  }
  if (view.overlay) {
    const std::vector<std::string> lines = overlay_lines_for(view);
    screen->present(view.frame, &lines);
  } else {
    screen->present(view.frame);
  }
  if (view.drawn) times.add(rendered - clock_read_at_ms, emscripten_get_now() - rendered);
}

void WebPlatform::poll(Session& session) {
  if (phase != Phase::playing) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) session.act(action_of(event));
}

std::string WebPlatform::status_json(int32_t decoded) const {
  // Why the session holds by itself (a plain word, no quoting needed).
  const std::string hold = shown.hold != nullptr ? "\"" + std::string(shown.hold) + "\"" : "null";
  char buffer[560];
  std::snprintf(buffer, sizeof buffer,
                "{\"phase\":\"%s\",\"time_ms\":%d,\"paused\":%s,\"cue\":%d,\"looping\":%s,\"now_ms\":%d,"
                "\"clock_read_at_ms\":%.3f,\"anchored\":%s,\"audio_callbacks\":%d,\"frames\":%lld,"
                "\"render_ms_mean\":%.3f,\"render_ms_max\":%.3f,\"present_ms_mean\":%.3f,\"present_ms_max\":%.3f,"
                "\"waiting\":%s,\"hold\":%s,\"decoded\":%d}",
                phase_name(phase), static_cast<int>(shown.time_ms), shown.paused ? "true" : "false",
                static_cast<int>(shown.cue), shown.looping ? "true" : "false", static_cast<int>(shown.time_ms),
                clock_read_at_ms, anchored ? "true" : "false", static_cast<int>(audio_callbacks),
                static_cast<long long>(times.count()), times.render_mean(), times.render_max(), times.present_mean(),
                times.present_max(), shown.hold != nullptr ? "true" : "false", hold.c_str(), static_cast<int>(decoded));
  return buffer;
}
