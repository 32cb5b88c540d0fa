#include "player/web/web_capture.h"

#include <emscripten.h>

bool WebCapture::run_batch(Session& session, WebPlatform& platform) {
  const double budget_end = emscripten_get_now() + 12.0;
  do {
    const int64_t i = next_++;
    platform.show_this_frame = next_ == total_;
    platform.clock_read_at_ms = emscripten_get_now();
    session.frame_at(static_cast<int32_t>(capture_frame_time(plan_, i)));
  } while (next_ < total_ && emscripten_get_now() < budget_end);
  if (next_ == total_) return true;
  platform.screen->present(platform.shown.frame);
  return false;
}
