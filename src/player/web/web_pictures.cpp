// The show's pictures in the web player: the page lists their sizes
// (sava_web_picture_size, sava_web_listed), the store is made from them,
// blank pictures at the listed sizes, and each file the page writes into
// data/ (sava_web_picture_arrived) is decoded, both in slices in the page's
// idle time between its frames (sava_web_decode), each picture told to the
// page.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "player/web/web_page.h"
#include "player/web/web_player.h"
#include "show/show_files.h"

namespace {

// Of the idle time, what is left for the page's part of a decode (telling
// the page, which tells the session which scenes are ready).
constexpr double idle_margin_ms = 1.0;
// The most a task of decodes takes (when the page is idle for longer, as
// before the start): the page answers a click or a key within it even on a
// slow phone.
constexpr double longest_task_ms = 8.0;
// A machine so busy that no frame leaves time over still decodes a few rows
// a few times a second, rather than nothing until the show waits for them.
constexpr double longest_pause_ms = 250.0;
double last_decode_ms = 0;  // of the last slice, or when the first of those waiting arrived

// A slice of the store's making; once all is made, the store is checked
// against what the scenes need of the pictures' sizes (each decoded picture
// is held to its listed size), the player holds the pictures and they may
// arrive (the phase is then loading).
void make_store(double budget_ms) {
  if (!web_player.arrivals->make_places(budget_ms, emscripten_get_now)) return;
  if (!web_player.arrivals->failure().empty()) web_fail(web_player.arrivals->failure());
  const PicturesOutcome pictures = web_player.startup->take_pictures(web_player.arrivals->take_store());
  if (!pictures.ready()) web_fail(pictures.failure);
  web_player.pictures = web_player.startup->pictures();
  web_player.platform.phase = Phase::loading;
  page_pictures_listed(web_player.caption.c_str());
}

}  // namespace

// The site's list: picture `index` (store order) is `width` x `height`
// pixels. Every picture is listed before sava_web_listed.
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_picture_size(int index, int width, int height) {
  if (web_player.platform.phase != Phase::listing || index < 0 || index >= picture_count) return;
  if (web_player.sizes.empty()) web_player.sizes.assign(picture_count, {0, 0});
  web_player.sizes[static_cast<size_t>(index)] = {width, height};
}

// The list is complete: the store is made in the page's idle time
// (make_store), blank pictures at the listed sizes.
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_listed() {
  if (web_player.platform.phase != Phase::listing || web_player.arrivals) return;
  if (web_player.sizes.empty()) web_player.sizes.assign(picture_count, {0, 0});
  web_player.arrivals =
      std::make_unique<PictureArrivals>(web_player.startup->files().picture_paths(), web_player.sizes);
  if (!web_player.arrivals->failure().empty()) web_fail(web_player.arrivals->failure());
  page_decode_when_idle();
}

// The file of picture `index` is in data/: it is decoded in the page's
// idle time.
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_picture_arrived(int index) {
  if (!web_player.arrivals) return;
  if (!web_player.arrivals->waiting()) last_decode_ms = emscripten_get_now();
  web_player.arrivals->arrived(index);
  page_decode_when_idle();
}

// The page is idle for `idle_ms` before the next frame is due: the store is
// made, then the arrived pictures are decoded in that time, off the show's frames, so that no frame
// is late for them. With no time left, the next idle time is waited for; a
// few rows are decoded regardless when no frame of the show is to be drawn
// on time (before the start, or while the show holds), or when nothing has
// been for longest_pause_ms while some waited.
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_decode(double idle_ms) {
  if (!web_player.arrivals) return;
  PictureArrivals& arrivals = *web_player.arrivals;
  const double now = emscripten_get_now();
  const bool show_runs = web_player.platform.phase == Phase::playing && web_player.platform.shown.hold == nullptr;
  const bool overdue = now - last_decode_ms > longest_pause_ms;
  const double budget = std::clamp(idle_ms - idle_margin_ms, 0.0, longest_task_ms);
  if (web_player.platform.phase == Phase::listing) {
    make_store(budget);
    page_decode_when_idle();
    return;
  }
  web_player.decoded.clear();
  if (budget > 0 || !show_runs || overdue) {
    arrivals.decode_slice(budget, emscripten_get_now, web_player.decoded);
    last_decode_ms = now;
  }
  if (!arrivals.failure().empty()) web_fail(arrivals.failure());
  for (const int32_t index : web_player.decoded) page_picture_decoded(index, arrivals.done(), arrivals.total());
  if (arrivals.waiting()) page_decode_when_idle();
}
