// The player: opens the platform (video, audio, input), starts the soundtrack
// and the pictures, runs the show's frame loop and shuts everything down.
#include <SDL.h>

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "image/image_store.h"
#include "image/picture_loading.h"
#include "music/soundtrack.h"
#include "player/input_script.h"
#include "player/launch.h"
#include "player/options.h"
#include "player/player_session.h"
#include "player/sdl_screen.h"
#include "player/transport.h"
#include "show/data_folder.h"
#include "show/picture_size_check.h"
#include "show/show_files.h"

static_assert(video_flag_fullscreen == SDL_FULLSCREEN);
static_assert(video_flag_doublebuf == SDL_DOUBLEBUF);
// The input rule's numbers are the desktop library's (the web page's library
// numbers its own way and translates).
static_assert(event_key_down == SDL_KEYDOWN && event_key_up == SDL_KEYUP && event_quit == SDL_QUIT);
static_assert(key_return == SDLK_RETURN && key_escape == SDLK_ESCAPE && key_space == SDLK_SPACE &&
              key_letter_l == SDLK_l && key_letter_t == SDLK_t && key_keypad_enter == SDLK_KP_ENTER &&
              key_right == SDLK_RIGHT && key_left == SDLK_LEFT && key_home == SDLK_HOME &&
              key_page_up == SDLK_PAGEUP && key_page_down == SDLK_PAGEDOWN);
static_assert(modifier_shift == KMOD_SHIFT && modifier_ctrl == KMOD_CTRL && modifier_alt == KMOD_ALT &&
              modifier_meta == KMOD_META);

namespace {

// The format the soundtrack is decoded in: 44100 Hz, signed 16-bit
// little-endian stereo, 2048 sample frames (8192 bytes) per callback.
const SDL_AudioSpec requested_audio = {
    .freq = 44100,
    .format = AUDIO_S16LSB,
    .channels = 2,
    .silence = 0,
    .samples = 2048,
    .padding = 0,
    .size = 0,
    .callback = soundtrack_callback,
    .userdata = nullptr,
};

// A start-up failure: its one line on stderr, and the status the process
// ends with (whatever was started goes as the caller's scope ends, the
// picture decoding threads among it).
__attribute__((format(printf, 1, 2))) int fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  return 1;
}

// The video library's settings for how the 400x300 picture reaches the
// screen, where the user has not chosen otherwise: sharp pixels (full screen
// keeps 4:3 with black bars on other shapes), the window `scale` times
// larger, and frames presented in step with the display's refresh.
void choose_video_settings(int32_t scale) {
  setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
  if (scale > 0) setenv("SDL12COMPAT_WINDOW_SCALING", std::to_string(scale).c_str(), 0);
  setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
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
bool read_input_script(std::optional<std::vector<ScriptStep>>* steps) {
  const char* path = std::getenv("SAVA_INPUT_SCRIPT");
  if (path == nullptr || *path == '\0') return true;
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return fail("sava: cannot read the input script %s\n", path) == 0;
  std::string error;
  *steps = parse_input_script(text, &error);
  if (!*steps) return fail("sava: input script %s, %s\n", path, error.c_str()) == 0;
  return true;
}

// The show, from start-up to shutdown; returns the process's exit status.
int play(const PlayerOptions& options) {
  SDL_AudioSpec requested = requested_audio;
  // Set before any other thread runs (the environment is not thread-safe).
  choose_video_settings(options.scale);
  const ShowFiles files(find_data_folder(options.data_dir));
  std::optional<std::vector<ScriptStep>> script;
  if (!read_input_script(&script)) return 1;

  // SIGINT and SIGTERM become a quit event once the library has set up its
  // handlers; one that arrives before that waits for them instead of ending
  // the process half started.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
  // The pictures are decoded on every core from here on, while the platform
  // starts; their outcome is taken, and any failure reported, only in its
  // place in the start-up order, after the window is open. The workers keep
  // the stop signals blocked: they reach the main thread.
  PictureLoading loading(files.picture_paths(), PictureLoading::threads_for_this_machine());
  if (SDL_Init(SDL_INIT_VIDEO) < 0) return fail("Couldn't initialize SDL: %s\n", SDL_GetError());
  // Whatever way the process ends from here, the display is restored.
  std::atexit(SDL_Quit);
  sigprocmask(SIG_UNBLOCK, &stop_signals, nullptr);

  // The soundtrack (with the PCM queue it decodes into), handed to the audio
  // device.
  Soundtrack music;
  requested.userdata = &music;

  const int32_t chunk = open_audio(&requested);
  if (chunk <= 0) return fail("Couldn't open audio: %s\n", SDL_GetError());

  SoundtrackResult opened = music.open(files.soundtrack_path(), chunk);
  // A later start: the music from the sample heard at that show time.
  if (opened.ok() && options.from_ms != 0) {
    opened = music.play_from(sample_at_show_time(options.from_ms), options.from_ms);
  }
  if (!opened.ok()) return fail("%s\n", opened.message(files.soundtrack_path()).c_str());

  SDL_Surface* surface = SDL_SetVideoMode(screen_width, screen_height, 32, options.video_flags);
  video_surface = surface;
  if (surface == nullptr) {
    return fail("Couldn't set %dx%dx32 video mode: %s\n", screen_width, screen_height, SDL_GetError());
  }
  // The caption is kept as ISO 8859-1; the title bar takes UTF-8.
  const std::string caption = latin1_to_utf8(window_caption);
  SDL_WM_SetCaption(caption.c_str(), caption.c_str());
  SDL_ShowCursor(SDL_DISABLE);

  // Reduced flashing shows frames other than drawn: the show never draws
  // into the surface then.
  ScreenPresenter screen(surface, screen_width, screen_height, !options.reduce_flashing);

  // Shutdown, after the show or a quit during start-up: everything started
  // so far is released. The show's objects and pictures go as main's scope
  // ends; the screen's pixels went with the video subsystem and are not
  // drawn again.
  auto shut_down = [&music] {
    SDL_CloseAudio();
    music.listen({});
    SDL_Quit();
    music.close();
  };

  // A quit during the loading stops it; the show then never starts.
  ImageStore pictures;
  const StoreLoadResult loaded = loading.finish(&pictures, quit_requested_while_starting);
  if (loaded.stopped()) {
    shut_down();
    return 0;
  }
  if (!loaded.loaded()) return fail("%s\n", loaded.message().c_str());
  // A picture too small for a rectangle a scene reads from it stops the
  // show here rather than being drawn wrongly.
  const std::string size_problem = picture_size_check(pictures.images(), files.picture_paths());
  if (!size_problem.empty()) return fail("%s\n", size_problem.c_str());

  int status = 0;
  {
    PlayerSession session(std::move(pictures), screen, surface, music, options.from_ms);
    if (script) session.use_script(*script);
    if (options.reduce_flashing) session.reduce_flashing();
    status = session.run();
    shut_down();
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const PlayerOptionsResult parsed = parse_player_options(argc, argv);
  if (!parsed.ok()) {
    std::fprintf(stderr, "sava: %s (sava --help lists the options)\n", parsed.error.c_str());
    return 2;
  }
  switch (parsed.options.action) {
    case PlayerOptions::Action::help:
      std::fputs(player_help_text().c_str(), stdout);
      return 0;
    case PlayerOptions::Action::version:
      std::fputs(player_version_text().c_str(), stdout);
      return 0;
    case PlayerOptions::Action::play:
      break;
  }
  return play(parsed.options);
}
