#include "player/web/web_page.h"

#include <emscripten.h>

EM_JS(void, page_pictures_decoded, (int done, int total), {
  if (Module.onPicturesDecoded) Module.onPicturesDecoded(done, total);
});

EM_JS(void, page_show_ready, (const char* caption), {
  if (Module.onShowReady) Module.onShowReady(UTF8ToString(caption));
});

EM_JS(void, page_show_ended, (), {
  if (Module.onShowEnded) Module.onShowEnded();
});

EM_JS(void, page_capture_done, (const char* frame_hashes), {
  if (Module.onCaptureDone) Module.onCaptureDone(UTF8ToString(frame_hashes));
});
