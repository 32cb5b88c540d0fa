// The player in a web page. The page loads the pictures and the soundtrack
// into the virtual file system (data/), then main() sets up the screen, the
// pictures are decoded a few per animation frame (no long task holds up the
// page), and the show waits for the viewer's click (a page
// may only start sound after a gesture): sava_web_start() opens the sound
// and the frames follow, one per animation frame of the browser.
//
// With arguments (--from MS --to MS --fps N[/D], taken by the page from its
// address) the page instead renders those frames on a virtual clock exactly
// as the offline renderer does, without sound, and hands the page the
// SHA-256 of every frame's bytes. --reduce-flashing (the page's
// reduce-flashing=1) renders them with reduced flashing.
#include <SDL.h>
#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/frame.h"
#include "image/image_store.h"
#include "music/soundtrack.h"
#include "player/launch.h"
#include "player/web/frame_times.h"
#include "player/web/picture_slices.h"
#include "player/web/sha256.h"
#include "player/web/web_audio.h"
#include "player/web/web_page.h"
#include "player/web/web_screen.h"
#include "show/capture_plan.h"
#include "show/cue_table.h"
#include "show/picture_size_check.h"
#include "show/reduced_flashing.h"
#include "show/show.h"
#include "show/show_files.h"

namespace {

enum class Phase { decoding, waiting, playing, capturing, ended };

const char* phase_name(Phase phase) {
  switch (phase) {
    case Phase::decoding: return "decoding";
    case Phase::waiting: return "waiting";
    case Phase::playing: return "playing";
    case Phase::capturing: return "capturing";
    case Phase::ended: return "ended";
  }
  return "?";
}

// Everything the frames need outlives main(): the browser calls the frame
// function long after main() has returned.
struct WebPlayer {
  Phase phase = Phase::decoding;
  std::unique_ptr<PictureSlices> decoding;
  std::string caption;
  std::unique_ptr<WebScreen> screen;
  std::unique_ptr<Show> show;  // from the pictures' loading to the end
  FrameTimes times;
  int32_t now_ms = 0;  // show time of the last frame
  ReducedFlashing reduced_flashing{false};

  // Playing.
  std::unique_ptr<Soundtrack> music;
  int32_t audio_callbacks = 0;
  bool anchored = false;
  int32_t start_ms = 0;  // show time of the first sound (a link into the show)
  double clock_read_at_ms = 0;  // page time at which the last frame read the show clock

  // Capturing.
  bool capture_mode = false;
  CapturePlan plan;
  int64_t frame_total = 0;
  int64_t next_frame = 0;
  std::string frame_hashes;
};

WebPlayer player;

// The chunk the web SDL hands its callback: exactly the requested 2048
// sample frames of 16-bit stereo (it reports no size of its own).
constexpr int audio_samples = 2048;
constexpr int audio_chunk = audio_samples * 2 * 2;

uint32_t web_ticks() { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }

// Ends the program with its one line; only the entry points (main and
// sava_web_start) call it.
[[noreturn]] void fail(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::exit(1);
}

void count_and_play(void* userdata, Uint8* stream, int len) {
  ++player.audio_callbacks;
  soundtrack_callback(userdata, stream, len);
}

// Releasing Escape or the page going away ends the show, as on the desktop.
// The web SDL numbers its events and keys its own way, so they are told to
// the shared rule in its terms.
void poll_events() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    const uint32_t type = event.type == SDL_KEYUP ? event_key_up : event.type == SDL_QUIT ? event_quit : 0;
    const int32_t key = event.type == SDL_KEYUP && event.key.keysym.sym == SDLK_ESCAPE ? key_escape : 0;
    if (event_ends_show(type, key) && player.show) player.show->quit_requested = true;
  }
}

void finish_playing() {
  emscripten_cancel_main_loop();
  SDL_CloseAudio();
  web_audio_stop();
  player.music.reset();
  player.show.reset();
  player.phase = Phase::ended;
  page_show_ended();
}

// The last frame drawn, as shown (with reduced flashing when on).
const uint32_t* shown_frame() {
  return player.reduced_flashing.shown(player.screen->pixels(), player.screen->byte_size() / sizeof(uint32_t),
                                       player.now_ms);
}

void play_frame() {
  Show& show = *player.show;
  if (!player.anchored) {
    // Show time start_ms (0 for the plain show) is when the first decoded
    // sample is heard: until the output clock says when that is, no frame
    // is drawn.
    const double heard_ms = web_audio_first_sound_ms();
    if (heard_ms >= 0) {
      show.clock.start_at(static_cast<uint32_t>(static_cast<int64_t>(std::floor(heard_ms))) -
                          static_cast<uint32_t>(player.start_ms));
      player.anchored = true;
    }
  }
  if (player.anchored) {
    const double started = emscripten_get_now();
    player.clock_read_at_ms = started;
    player.now_ms = show.clock.read();
    // A show started later holds its first picture until the sound is heard.
    if (player.start_ms > 0 && player.now_ms < player.start_ms) player.now_ms = player.start_ms;
    frame_step(show, cue_table, player.now_ms);
    const double rendered = emscripten_get_now();
    player.screen->present(shown_frame());
    player.times.add(rendered - started, emscripten_get_now() - rendered);
  }
  poll_events();
  if (show.quit_requested) finish_playing();
}

void finish_capture() {
  emscripten_cancel_main_loop();
  player.show.reset();
  player.phase = Phase::ended;
  page_capture_done(player.frame_hashes.c_str());
}

// As many frames as fit in about one display refresh, the last one shown.
void capture_frames() {
  const double budget_end = emscripten_get_now() + 12.0;
  do {
    const double started = emscripten_get_now();
    player.now_ms = static_cast<int32_t>(capture_frame_time(player.plan, player.next_frame));
    frame_step(*player.show, cue_table, player.now_ms);
    const double rendered = emscripten_get_now();
    player.frame_hashes += sha256_hex(shown_frame(), player.screen->byte_size());
    player.frame_hashes += '\n';
    player.times.add(rendered - started, 0);
    ++player.next_frame;
  } while (player.next_frame < player.frame_total && emscripten_get_now() < budget_end);
  player.screen->present(shown_frame());
  if (player.next_frame == player.frame_total) finish_capture();
}

// A slice of the pictures per animation frame; once all are there, the
// show is made and either waits for Play or starts capturing.
void decode_pictures() {
  constexpr double slice_ms = 4.0;
  PictureSlices& slices = *player.decoding;
  const bool finished = slices.decode_slice(slice_ms, emscripten_get_now);
  page_pictures_decoded(slices.done(), slices.total());
  if (!finished) return;
  if (!slices.failure().empty()) fail(slices.failure());
  ImageStore pictures = slices.take();
  player.decoding.reset();
  const std::string size_problem = picture_size_check(pictures.images());
  if (!size_problem.empty()) fail(size_problem);
  player.show = std::make_unique<Show>(std::move(pictures), player.screen->pixels());
  player.show->clock.use_source(web_ticks);
  if (player.capture_mode) {
    player.phase = Phase::capturing;
  } else {
    player.phase = Phase::waiting;
    page_show_ready(player.caption.c_str());
  }
}

void run_frame(void*) {
  switch (player.phase) {
    case Phase::decoding: decode_pictures(); break;
    case Phase::waiting: poll_events(); break;
    case Phase::playing: play_frame(); break;
    case Phase::capturing: capture_frames(); break;
    case Phase::ended: break;
  }
}

}  // namespace

// The page's start button: opens the sound (inside the click, so the
// browser lets it play), primes the soundtrack and starts the frames, with
// reduced flashing when `reduce_flashing` is not 0 (the start screen's
// choice), at show time `from_ms` (a link into the show; 0 for the start) as
// the desktop's --from does: the cues up to it fire before the first frame
// and the sound starts at its sample.
extern "C" EMSCRIPTEN_KEEPALIVE int sava_web_start(int reduce_flashing, int from_ms) {
  if (player.phase != Phase::waiting || from_ms < 0) return 0;
  player.reduced_flashing = ReducedFlashing(reduce_flashing != 0);
  player.music = std::make_unique<Soundtrack>();
  SDL_AudioSpec requested{};
  requested.freq = 44100;
  requested.format = AUDIO_S16LSB;
  requested.channels = 2;
  requested.samples = audio_samples;
  requested.callback = count_and_play;
  requested.userdata = player.music.get();
  if (SDL_OpenAudio(&requested, nullptr) < 0) fail(std::string("Couldn't open audio: ") + SDL_GetError());
  web_audio_watch_first_start();
  SoundtrackResult opened = player.music->open(soundtrack_path, audio_chunk);
  if (opened.ok() && from_ms != 0) opened = player.music->play_from(sample_at_show_time(from_ms), from_ms);
  if (!opened.ok()) fail(opened.message(soundtrack_path));
  player.start_ms = from_ms;
  if (from_ms != 0) dispatch_cues(*player.show, cue_table, from_ms);
  // The page's audio clock tells when the first sound is heard (play_frame);
  // from there the clock follows the sound handed out.
  player.music->listen({nullptr, ShowClock::hear_sound_from, &player.show->clock});
  player.show->quit_requested = false;
  player.phase = Phase::playing;
  SDL_PauseAudio(0);
  return 1;
}

// What the page and its tests read about the running show, as JSON.
extern "C" EMSCRIPTEN_KEEPALIVE const char* sava_web_status() {
  static std::string text;
  char buffer[384];
  std::snprintf(buffer, sizeof buffer,
                "{\"phase\":\"%s\",\"now_ms\":%d,\"clock_read_at_ms\":%.3f,\"anchored\":%s,\"audio_callbacks\":%d,"
                "\"frames\":%lld,"
                "\"render_ms_mean\":%.3f,\"render_ms_max\":%.3f,\"present_ms_mean\":%.3f,\"present_ms_max\":%.3f}",
                phase_name(player.phase), static_cast<int>(player.now_ms), player.clock_read_at_ms,
                player.anchored ? "true" : "false",
                static_cast<int>(player.audio_callbacks), static_cast<long long>(player.times.count()),
                player.times.render_mean(), player.times.render_max(), player.times.present_mean(),
                player.times.present_max());
  text = buffer;
  return text.c_str();
}

// The controls' reduced-flashing switch: from the next frame on, the frames
// are shown with reduced flashing when `on` is not 0 (each frame depends on
// its show time alone, so it can change at any time).
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_reduce_flashing(int on) {
  player.reduced_flashing = ReducedFlashing(on != 0);
}

// The frames' compute times so far (the frame step, without putting the
// picture on the canvas), as JSON: count, median, p99 and worst in ms.
extern "C" EMSCRIPTEN_KEEPALIVE const char* sava_web_frame_stats() {
  static std::string text;
  const FrameTimes& t = player.times;
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, "{\"count\":%lld,\"median\":%.3f,\"p99\":%.3f,\"worst\":%.3f}",
                static_cast<long long>(t.count()), t.render_percentile(0.5), t.render_percentile(0.99),
                t.render_max());
  text = buffer;
  return text.c_str();
}

int main(int argc, char** argv) {
  // --reduce-flashing goes with the capture plan's options, anywhere.
  std::vector<const char*> plan_args;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--reduce-flashing") {
      player.reduced_flashing = ReducedFlashing(true);
    } else {
      plan_args.push_back(argv[i]);
    }
  }
  std::string error;
  const std::optional<CapturePlan> plan =
      parse_capture_plan(static_cast<int>(plan_args.size()), plan_args.data(), &error);
  if (!error.empty()) fail("sava: " + error);

  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) < 0) fail(std::string("Couldn't initialize SDL: ") + SDL_GetError());
  web_screen_prepare();
  SDL_Surface* surface = SDL_SetVideoMode(screen_width, screen_height, 32, SDL_SWSURFACE);
  if (surface == nullptr) {
    std::fprintf(stderr, "Couldn't set %dx%dx32 video mode: %s\n", screen_width, screen_height, SDL_GetError());
    std::exit(1);
  }
  player.caption = latin1_to_utf8(window_caption);
  SDL_WM_SetCaption(player.caption.c_str(), player.caption.c_str());
  player.screen = std::make_unique<WebScreen>(surface, screen_width, screen_height);

  if (plan) {
    player.capture_mode = true;
    player.plan = *plan;
    player.frame_total = capture_frame_count(*plan);
    player.frame_hashes.reserve(static_cast<std::size_t>(player.frame_total) * 65);
  }
  player.decoding = std::make_unique<PictureSlices>(picture_paths);
  // One call per animation frame of the browser; main() ends here and the
  // runtime stays alive for the frames.
  emscripten_set_main_loop_arg(run_frame, nullptr, 0, 1);
  return 0;
}
