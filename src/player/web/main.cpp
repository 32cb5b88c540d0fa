// The player in a web page. main() sets up the screen while the page fetches
// the show's files in show order; the page lists the pictures' sizes
// (sava_web_picture_size, sava_web_listed), which makes the picture store
// with every picture blank at its size, and writes each file into the
// virtual file system (data/) as it arrives (sava_web_picture_arrived;
// web_pictures.cpp). The store is made and the pictures decoded in the page's idle time, between
// the frames (no frame is late for them, no long task holds up the page). The
// soundtrack is opened from its index in the site's list and takes its
// bytes as they arrive, in ranges (web_sound.cpp). The show waits for the viewer's click (a page
// may only start sound after a gesture): sava_web_start() opens the audio
// device and the session runs, one frame per animation frame of the
// browser, with the desktop's keys. The page tells which scenes have all
// their pictures (sava_web_scene_ready); with the show time whose sound is
// here (sound_readiness.h) the session is told the show time it can draw
// (scene_readiness.h): elsewhere it holds, picture and sound, and goes on by
// itself once the network has brought them.
//
// With arguments (--from MS --to MS --fps N[/D], taken by the page from its
// address) the page instead renders those frames on a virtual clock exactly
// as the offline renderer does, without sound, and hands the page every
// frame's bytes, which it digests with the browser's own SHA-256. --reduce-flashing (the page's
// reduce-flashing=1) renders them with reduced flashing.
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "music/soundtrack.h"
#include "player/launch.h"
#include "player/sdl_startup.h"
#include "player/web/scene_readiness.h"
#include "player/web/web_audio.h"
#include "player/web/web_capture.h"
#include "player/web/web_page.h"
#include "player/web/web_platform.h"
#include "player/web/web_player.h"
#include "player/web/web_screen.h"
#include "show/capture_plan.h"
#include "show/cue_table.h"
#include "show/flash_plan.h"
#include "show/linear_light.h"
#include "show/session.h"
#include "show/startup.h"

namespace {

void count_and_play(void* userdata, Uint8* stream, int len) {
  ++web_player.platform.audio_callbacks;
  soundtrack_callback(userdata, stream, len);
}

void finish_playing() {
  emscripten_cancel_main_loop();
  SDL_CloseAudio();
  web_audio_stop();
  web_player.session.reset();
  web_player.music.reset();
  web_player.arrivals.reset();
  web_player.platform.phase = Phase::ended;
  page_show_ended(0);
}

// The show reached its end: its sound stops and the page shows its end
// screen. The session is kept (its pictures decoded, its sound open), so
// that Play again starts it over (sava_web_play_again).
void show_finished() {
  SDL_PauseAudio(1);
  web_player.platform.phase = Phase::finished;
  page_show_ended(1);
}

void play_frame() {
  web_player.session->frame();
  if (!web_player.session->ended()) return;
  if (web_player.session->finished()) {
    show_finished();
  } else {
    finish_playing();
  }
}

void finish_capture() {
  emscripten_cancel_main_loop();
  web_player.session.reset();
  web_player.platform.phase = Phase::ended;
  page_capture_done();
}

void capture_frames() {
  if (web_player.capture->run_batch(*web_player.session, web_player.platform)) finish_capture();
}

// Capturing starts once all the pictures are decoded.
void start_capture_when_loaded() {
  const PictureArrivals& arrivals = *web_player.arrivals;
  if (web_player.capture && web_player.platform.phase == Phase::loading && arrivals.done() == arrivals.total()) {
    web_player.session = std::make_unique<Session>(std::move(web_player.pictures), web_player.platform.screen->pixels(),
                                               web_player.platform, nullptr, web_player.capture->from_ms(),
                                               web_player.startup->options().reduce_flashing);
    web_player.platform.phase = Phase::capturing;
  }
}

// Before the start the input is let go.
void poll_waiting() {
  for (SDL_Event event; SDL_PollEvent(&event);) {
  }
}

void run_frame(void*) {
  switch (web_player.platform.phase) {
    case Phase::listing: poll_waiting(); break;
    case Phase::loading:
      start_capture_when_loaded();
      poll_waiting();
      break;
    case Phase::playing: play_frame(); break;
    case Phase::finished: poll_waiting(); break;
    case Phase::capturing: capture_frames(); break;
    case Phase::ended: break;
  }
}

}  // namespace

// The page's start button, once the soundtrack is primed: opens the audio
// device (inside the click, so the browser lets it play) and starts the
// session, with reduced flashing when `reduce_flashing` is not 0 (the start
// screen's choice), at the soundtrack's start time as the desktop's --from
// does: the cues up to it fire before the first frame and the sound starts
// at its sample; then moved to `seek_ms` when that is not negative (a link
// pasted since the sound was primed).
extern "C" EMSCRIPTEN_KEEPALIVE int sava_web_start(int reduce_flashing, int seek_ms) {
  if (web_player.platform.phase != Phase::loading || web_player.capture || !web_player.sound_primed) return 0;
  SDL_AudioSpec requested = show_audio_format(count_and_play, web_player.music.get());
  if (SDL_OpenAudio(&requested, nullptr) < 0) web_fail(audio_open_failure());
  web_audio_watch_first_start();
  web_player.session = std::make_unique<Session>(std::move(web_player.pictures), web_player.platform.screen->pixels(),
                                             web_player.platform, web_player.music.get(),
                                             web_player.startup->options().from_ms, false);
  web_player.session->use_softened_stretches(web_player.softened, reduce_flashing != 0);
  web_player.session->set_audio_delay(web_player.audio_delay_ms);
  tell_session_ready();
  web_player.platform.phase = Phase::playing;
  web_player.session->start();
  if (seek_ms >= 0) web_player.session->seek_to(seek_ms);
  // The first frame is drawn here, with the start's other one-off work
  // (the first run of the drawing code is the slowest), so that the
  // animation frames that follow are the show's running ones.
  play_frame();
  return 1;
}

// The end screen's Play again, after the show reached its end: it starts
// over from its beginning, as a seek there.
extern "C" EMSCRIPTEN_KEEPALIVE int sava_web_play_again() {
  if (web_player.platform.phase != Phase::finished) return 0;
  web_player.session->start_over(0);
  web_player.platform.phase = Phase::playing;
  web_player.session->start();
  return 1;
}

// The page's audio delay setting (ms, the sound heard that much later than
// the output says): for the show started later, or the one running.
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_set_audio_delay(int ms) {
  web_player.audio_delay_ms = ms;
  if (web_player.session) web_player.session->set_audio_delay(ms);
}

// Cue `cue`'s scene has all its pictures and may be played (`ready` not 0),
// or not.
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_scene_ready(int cue, int ready) {
  if (cue < 0 || cue >= cue_count) return;
  web_player.ready_scenes.resize(cue_count, false);
  web_player.ready_scenes[static_cast<size_t>(cue)] = ready != 0;
  tell_session_ready();
}

// The timeline's seek to show time `ms`.
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_seek(int ms) {
  if (web_player.session && web_player.platform.phase == Phase::playing) web_player.session->seek_to(ms);
}

// The controls' reduced-flashing switch: from the next frame on, the frames
// are shown with reduced flashing when `on` is not 0 (each frame depends on
// its show time alone, so it can change at any time).
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_reduce_flashing(int on) {
  if (web_player.session) web_player.session->use_softened_stretches(web_player.softened, on != 0);
}

// The site's list: reduced flashing softens show time `from_ms` to `to_ms`
// at `contrast` around `mean` (found for these pictures when the site was
// built). Listed in show order before the show starts.
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_softened(int from_ms, int to_ms, int contrast, int mean) {
  if (web_player.session || from_ms < 0 || to_ms < from_ms || contrast < 0 || contrast > contrast_one || mean < 0 ||
      mean > linear_one) {
    return;
  }
  web_player.softened.push_back({from_ms, to_ms, contrast, mean});
}

// What the page and its tests read about the running show, as JSON:
// time_ms, paused, cue and looping are the session's (the show time of the
// frame on screen, the cue whose scene it shows).
extern "C" EMSCRIPTEN_KEEPALIVE const char* sava_web_status() {
  static std::string text;
  text = web_player.platform.status_json(web_player.arrivals ? web_player.arrivals->done() : 0);
  return text.c_str();
}

int main(int argc, char** argv) {
  const Result<std::optional<PageCapture>> read = read_page_capture(argc - 1, argv + 1);
  if (!read) web_fail("sava: " + read.error());
  const std::optional<PageCapture>& capture = *read;
  StartupOptions options;
  options.data_dir = "data";  // where the page writes the files as they arrive
  options.reduce_flashing = capture && capture->reduce_flashing;
  web_player.startup = std::make_unique<ShowStartup>(options);

  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) < 0) web_fail(sdl_init_failure());
  SDL_Surface* surface = SDL_SetVideoMode(screen_width, screen_height, 32, SDL_SWSURFACE);
  if (surface == nullptr) web_fail(video_mode_failure());
  web_player.caption = latin1_to_utf8(window_caption);
  SDL_WM_SetCaption(web_player.caption.c_str(), web_player.caption.c_str());
  web_player.platform.screen = std::make_unique<WebScreen>(surface, screen_width, screen_height);

  if (capture) web_player.capture.emplace(capture->plan);
  // One call per animation frame of the browser; main() ends here and the
  // runtime stays alive for the frames.
  page_program_started();
  emscripten_set_main_loop_arg(run_frame, nullptr, 0, 1);
  return 0;
}
