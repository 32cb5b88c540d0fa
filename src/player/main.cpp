// The player: opens the platform (video, audio, input), starts the soundtrack
// and the pictures, runs the show's frame loop and shuts everything down.
#include <SDL.h>

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/frame.h"
#include "image/image_store.h"
#include "image/picture_load.h"
#include "image/picture_loading.h"
#include "music/soundtrack.h"
#include "player/launch.h"
#include "player/options.h"
#include "player/sdl_screen.h"
#include "show/cue_table.h"
#include "show/data_folder.h"
#include "show/picture_size_check.h"
#include "show/show.h"
#include "show/show_files.h"

static_assert(video_flag_fullscreen == SDL_FULLSCREEN);
static_assert(video_flag_doublebuf == SDL_DOUBLEBUF);
static_assert(event_key_up == SDL_KEYUP && event_quit == SDL_QUIT && key_escape == SDLK_ESCAPE);

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

uint32_t sdl_ticks() { return SDL_GetTicks(); }

// A start-up failure: its one line on stderr, and the status the process
// ends with (whatever was started goes as the caller's scope ends).
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

// What the frame loop's hooks work on.
struct Platform {
  ScreenPresenter* screen;
  Show* show;
};

void present_frame(void* context) { static_cast<Platform*>(context)->screen->present(); }

// Drains every pending event: releasing Escape or closing the window (which
// includes SIGINT and SIGTERM, delivered by the library as a quit event)
// ends the show after this frame.
void poll_events(void* context) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    // The key field is only meaningful for key events.
    const int32_t key = (event.type == SDL_KEYUP || event.type == SDL_KEYDOWN) ? event.key.keysym.sym : 0;
    if (event_ends_show(event.type, key)) static_cast<Platform*>(context)->show->quit_requested = true;
  }
}

// The show, from start-up to shutdown; returns the process's exit status.
int play(const PlayerOptions& options) {
  SDL_AudioSpec requested = requested_audio;
  // Set before any other thread runs (the environment is not thread-safe).
  choose_video_settings(options.scale);
  const ShowFiles files(find_data_folder(options.data_dir));

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

  // The PCM queue the soundtrack decodes into, handed to the audio device.
  std::vector<uint8_t> queue(soundtrack_queue_size, 0);
  requested.userdata = queue.data();

  const int32_t chunk = open_audio(&requested);
  if (chunk <= 0) return fail("Couldn't open audio: %s\n", SDL_GetError());

  const SoundtrackResult opened = soundtrack_open(files.soundtrack_path(), chunk, queue.data(), 0);
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

  ScreenPresenter screen(surface, screen_width, screen_height);

  // Shutdown, after the show or a quit during start-up: everything started
  // so far is released. The queue, the show's objects and pictures go as
  // main's scope ends; the screen's pixels went with the video subsystem and
  // are not drawn again.
  auto shut_down = [] {
    SDL_CloseAudio();
    soundtrack_listen({});
    SDL_Quit();
    soundtrack_close();
  };

  // A quit during the loading stops it; the show then never starts.
  ImageStore pictures;
  picture_stop_requested = quit_requested_while_starting;
  const StoreLoadResult loaded = loading.finish(&pictures);
  picture_stop_requested = nullptr;
  if (loaded.stopped()) {
    shut_down();
    return 0;
  }
  if (!loaded.loaded()) return fail("%s\n", loaded.message().c_str());
  // A picture too small for a rectangle a scene reads from it stops the
  // show here rather than being drawn wrongly.
  const std::string size_problem = picture_size_check(pictures.images());
  if (!size_problem.empty()) return fail("%s\n", size_problem.c_str());

  Show show(std::move(pictures), screen.pixels());
  show.clock.use_source(sdl_ticks);
  show.clock.start_at(show.clock.ticks());
  // Show time 0 is when the first sound is heard, and the clock follows the
  // sound from there.
  soundtrack_listen({ShowClock::start_in, ShowClock::hear_sound_from, &show.clock});
  // Everything soundtrack_open primed on this thread is handed to the audio
  // thread now. Unpausing does not go through the audio lock, so it alone
  // does not order those writes before the first callback's reads; taking
  // and releasing that lock once (the callback always runs under it) does.
  // It is never taken again while the show runs.
  SDL_LockAudio();
  SDL_UnlockAudio();
  SDL_PauseAudio(0);

  Platform platform{&screen, &show};
  run_frame_loop(show, cue_table, FrameHooks{present_frame, poll_events, &platform});

  shut_down();
  return 0;
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
