// The player: opens the platform (video, audio, input), starts the soundtrack
// and the pictures, runs the show's frame loop and shuts everything down.
#include <SDL.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "image/picture_loading.h"
#include "music/soundtrack.h"
#include "player/audio_delay_setting.h"
#include "player/desktop_platform.h"
#include "player/input_script.h"
#include "player/input_rule.h"
#include "player/launch.h"
#include "player/options.h"
#include "player/sdl_screen.h"
#include "player/sdl_startup.h"
#include "player/server_latency.h"
#include "player/sync_test.h"
#include "show/session.h"
#include "show/softening_worker.h"
#include "show/startup.h"

static_assert(video_flag_fullscreen == SDL_FULLSCREEN);
static_assert(video_flag_doublebuf == SDL_DOUBLEBUF);
// The input rule's numbers are the desktop library's (the web page's library
// numbers its own way and translates).
static_assert(event_key_down == SDL_KEYDOWN && event_key_up == SDL_KEYUP && event_quit == SDL_QUIT);
static_assert(key_return == SDLK_RETURN && key_escape == SDLK_ESCAPE && key_space == SDLK_SPACE &&
              key_letter_l == SDLK_l && key_letter_t == SDLK_t && key_keypad_enter == SDLK_KP_ENTER &&
              key_right == SDLK_RIGHT && key_left == SDLK_LEFT && key_home == SDLK_HOME &&
              key_page_up == SDLK_PAGEUP && key_page_down == SDLK_PAGEDOWN && key_plus == SDLK_PLUS &&
              key_minus == SDLK_MINUS && key_equals == SDLK_EQUALS && key_keypad_minus == SDLK_KP_MINUS &&
              key_keypad_plus == SDLK_KP_PLUS);
static_assert(modifier_shift == KMOD_SHIFT && modifier_ctrl == KMOD_CTRL && modifier_alt == KMOD_ALT &&
              modifier_meta == KMOD_META);

namespace {

// A start-up failure: its one line on stderr, and the status the process
// ends with (whatever was started goes as the caller's scope ends, the
// picture decoding threads among it).
int fail(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  return 1;
}

// The video library's settings for how the 400x300 picture reaches the
// screen, where the user has not chosen otherwise: sharp pixels (full screen
// keeps 4:3 with black bars on other shapes), the window `scale` times
// larger, and frames presented in step with the display's refresh.
void choose_video_settings(int32_t scale) {
  platform::set_default_env("SDL12COMPAT_SCALE_METHOD", "nearest");
  if (scale > 0) platform::set_default_env("SDL12COMPAT_WINDOW_SCALING", std::to_string(scale).c_str());
  platform::set_default_env("SDL12COMPAT_SYNC_TO_VBLANK", "1");
}

// Opens the device paused and returns the chunk length (bytes per callback),
// or 0 if it cannot be opened (SDL_GetError tells why).
// The decoded sound goes to the device unconverted, so if the device grants
// another rate, sample format or channel count, or a chunk too large for the
// queue, it is opened again with no room for changes: the library then
// converts from exactly the requested format.
int32_t open_audio(SDL_AudioSpec* requested) {
  SDL_AudioSpec obtained{};
  if (SDL_OpenAudio(requested, &obtained) < 0) return 0;
  if (obtained.freq == requested->freq && obtained.format == requested->format &&
      obtained.channels == requested->channels && obtained.size > 0 &&
      static_cast<int64_t>(obtained.size) <= soundtrack_max_chunk) {
    return static_cast<int32_t>(obtained.size);
  }
  SDL_CloseAudio();
  if (SDL_OpenAudio(requested, nullptr) < 0) return 0;
  return requested->samples * requested->channels * 2;
}

// A quit requested while the show is starting (SIGINT and SIGTERM arrive as
// a quit event, as does closing the window). Asked now and then during the
// pictures' loading; the events are looked at, not taken, at most every 10 ms.
bool quit_requested_while_starting() {
  static uint32_t last_look = 0;
  static bool seen = false;
  const uint32_t now = SDL_GetTicks();
  if (!seen && (last_look == 0 || now - last_look >= 10)) {
    last_look = now;
    seen = SDL_QuitRequested() > 0;
  }
  return seen;
}

// The compatibility layer of the video library keeps the video mode's
// surface past SDL_Quit. It is the library's; the pointer is kept here to the
// end (volatile: never read, but the store must stay) so that the surface
// stays accounted for as reachable however early the show ends.
SDL_Surface* volatile video_surface = nullptr;

// Reads the input script named by SAVA_INPUT_SCRIPT, if any, into `steps`;
// false (after its one line on stderr) if it cannot be read or has a bad line.
bool read_script_hook(std::optional<std::vector<ScriptStep>>* steps) {
  const char* path = std::getenv("SAVA_INPUT_SCRIPT");
  if (path == nullptr || *path == '\0') return true;
  Result<std::vector<ScriptStep>> read = read_input_script(path);
  if (!read) return fail("sava: " + read.error()) == 0;
  *steps = std::move(*read);
  return true;
}

// Shutdown, after the show or a quit during start-up: everything started so
// far is released. The show's objects and pictures go as the caller's scope
// ends; the screen's pixels went with the video subsystem and are not drawn
// again.
void shut_down(Soundtrack& music) {
  SDL_CloseAudio();
  music.listen({});
  SDL_Quit();
  music.close();
}

// The video mode, its caption and the hidden cursor; null if the mode cannot
// be set (SDL_GetError tells why).
SDL_Surface* open_window(const PlayerOptions& options) {
  SDL_Surface* surface = SDL_SetVideoMode(screen_width, screen_height, 32, options.video_flags);
  video_surface = surface;
  if (surface == nullptr) return nullptr;
  // The caption is kept as ISO 8859-1; the title bar takes UTF-8.
  const std::string caption = latin1_to_utf8(window_caption);
  SDL_WM_SetCaption(caption.c_str(), caption.c_str());
  SDL_ShowCursor(SDL_DISABLE);
  return surface;
}

// Keeps the audio delay for later starts; a failure is told but ends nothing.
void keep_audio_delay(const std::string& path, int32_t ms) {
  if (const Result<void> saved = save_audio_delay(path, ms); !saved) {
    std::fprintf(stderr, "sava: %s\n", saved.error().c_str());
  }
}

// The audio delay to start with: the option's (kept from now on), else the
// one kept.
int32_t starting_audio_delay(const PlayerOptions& options, const std::string& path) {
  const int32_t delay = options.audio_delay_ms.value_or(load_audio_delay(path));
  if (options.audio_delay_ms) keep_audio_delay(path, delay);
  return delay;
}

// Whether the audio device's sound is heard as it plays (not the silent nor
// the file-writing driver, which keep no time of their own).
bool device_is_heard() {
  char driver[32] = "";
  SDL_AudioDriverName(driver, sizeof driver);
  return std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "disk") != 0;
}

// Opens `latency` when the audio device plays through a sound server that
// can tell how much sound it holds (the device must be open).
void ask_sound_server(ServerLatency& latency) {
  char driver[32] = "";
  SDL_AudioDriverName(driver, sizeof driver);
  if (std::strcmp(driver, "pulseaudio") == 0) latency.open();
}

// The sync test, from start-up to shutdown: the clicks on the audio device,
// the flashes on the show clock that follows them, the delay keys.
int play_sync_test(const PlayerOptions& options) {
  choose_video_settings(options.scale);
  const std::string delay_path = audio_delay_setting_path();
  int32_t delay = starting_audio_delay(options, delay_path);
  if (SDL_Init(SDL_INIT_VIDEO) < 0) return fail(sdl_init_failure());
  std::atexit(SDL_Quit);
  ClickTrack clicks;
  SDL_AudioSpec requested = show_audio_format(click_track_callback, &clicks);
  if (open_audio(&requested) <= 0) return fail(audio_open_failure());
  SDL_Surface* surface = open_window(options);
  if (surface == nullptr) return fail(video_mode_failure());
  ScreenPresenter screen(surface, screen_width, screen_height, false);

  ShowClock clock([] { return static_cast<uint32_t>(SDL_GetTicks()); });
  clock.start_at(clock.ticks());
  clock.hold_until_sound(0);
  clock.set_delay(delay);
  ServerLatency latency;
  ask_sound_server(latency);
  ServerClockListener server_listener(clock, latency);
  SoundListener listener{ShowClock::start_in, ShowClock::hear_sound_from, &clock};
  if (latency.is_open()) listener = server_listener.listener();
  if (!device_is_heard()) listener.sound_from = nullptr;
  clicks.listen(listener);
  SDL_LockAudio();
  SDL_UnlockAudio();
  SDL_PauseAudio(0);
  const int32_t kept = delay;
  for (bool quit = false; !quit;) {
    const int32_t level = sync_flash_level(clock.read());
    std::fill_n(screen.pixels(), static_cast<size_t>(screen_width) * screen_height,
                0xFF000000u | static_cast<uint32_t>(level) * 0x010101u);
    const std::vector<std::string> lines = sync_test_lines(delay);
    screen.present(&lines);
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      const bool key_event = event.type == SDL_KEYUP || event.type == SDL_KEYDOWN;
      const PlayerAction action =
          player_action(event.type, key_event ? event.key.keysym.sym : 0, key_event ? event.key.keysym.mod : 0);
      if (action == PlayerAction::quit) quit = true;
      if (action == PlayerAction::full_screen) SDL_WM_ToggleFullScreen(surface);
      delay = Session::stepped_audio_delay(delay, action);
    }
    clock.set_delay(delay);
  }
  SDL_CloseAudio();
  SDL_Quit();
  if (delay != kept) keep_audio_delay(delay_path, delay);
  return 0;
}

// The show, from start-up to shutdown; returns the process's exit status.
int play(const PlayerOptions& options) {
  const std::string delay_path = audio_delay_setting_path();
  const int32_t delay = starting_audio_delay(options, delay_path);
  // Set before any other thread runs (the environment is not thread-safe).
  choose_video_settings(options.scale);
  ShowStartup startup(
      {.data_dir = options.data_dir, .from_ms = options.from_ms, .reduce_flashing = options.reduce_flashing});
  std::optional<std::vector<ScriptStep>> script;
  if (!read_script_hook(&script)) return 1;

  // SIGINT and SIGTERM become a quit event once the library has set up its
  // handlers; one that arrives before that waits for them instead of ending
  // the process half started.
  platform::hold_stop_requests();
  // The pictures are decoded on every core from here on, while the platform
  // starts; their outcome is taken, and any failure reported, only in its
  // place in the start-up order, after the window is open. The workers keep
  // the stop signals blocked: they reach the main thread.
  startup.begin_pictures(PictureLoading::threads_for_this_machine());
  if (SDL_Init(SDL_INIT_VIDEO) < 0) return fail(sdl_init_failure());
  // Whatever way the process ends from here, the display is restored.
  std::atexit(SDL_Quit);
  platform::release_stop_requests();

  // The soundtrack (with the PCM queue it decodes into), handed to the audio
  // device.
  Soundtrack music;
  SDL_AudioSpec requested = show_audio_format(soundtrack_callback, &music);
  const int32_t chunk = open_audio(&requested);
  if (chunk <= 0) return fail(audio_open_failure());
  if (const Result<void> sound = startup.start_soundtrack(music, chunk); !sound) return fail(sound.error());

  SDL_Surface* surface = open_window(options);
  if (surface == nullptr) return fail(video_mode_failure());

  // Reduced flashing shows frames other than drawn: the show never draws
  // into the surface then.
  ScreenPresenter screen(surface, screen_width, screen_height, !options.reduce_flashing);

  // A quit during the loading stops it; the show then never starts.
  const PicturesOutcome pictures = startup.take_pictures(quit_requested_while_starting);
  if (pictures.stopped) {
    shut_down(music);
    return 0;
  }
  if (!pictures.ready()) return fail(pictures.failure);

  ServerLatency latency;
  ask_sound_server(latency);
  DesktopPlatform platform(screen, surface);
  if (script) platform.use_script(std::move(*script));
  platform.follow_sound(device_is_heard());
  platform.use_server_latency(&latency);
  {
    Session session(startup.pictures(), screen.pixels(), platform, &music, options.from_ms);
    // With reduced flashing the show starts at once: what to soften is found
    // beside it, and the session holds only where that is not yet settled.
    // The search reads the session's pictures and ends before they go.
    std::optional<SofteningWorker> softening;
    if (startup.options().reduce_flashing) {
      softening.emplace(session.pictures());
      session.follow_softening(&*softening);
    }
    session.set_audio_delay(delay);
    session.run();
    shut_down(music);
    if (session.audio_delay() != delay) keep_audio_delay(delay_path, session.audio_delay());
  }
  return platform.status();
}

}  // namespace

int main(int argc, char** argv) {
  const Result<PlayerOptions> parsed = parse_player_options(argc, argv);
  if (!parsed) {
    std::fprintf(stderr, "sava: %s (sava --help lists the options)\n", parsed.error().c_str());
    return 2;
  }
  switch (parsed->action) {
    case PlayerOptions::Action::help:
      std::fputs(player_help_text().c_str(), stdout);
      return 0;
    case PlayerOptions::Action::version:
      std::fputs(player_version_text().c_str(), stdout);
      return 0;
    case PlayerOptions::Action::play:
      break;
  }
  return parsed->sync_test ? play_sync_test(*parsed) : play(*parsed);
}
