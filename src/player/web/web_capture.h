// The page's capture mode: the planned frames drawn on a virtual clock, a
// batch per animation frame of the browser.
#pragma once

#include <cstdint>

#include "player/web/web_platform.h"
#include "show/capture_plan.h"
#include "show/session.h"

class WebCapture {
 public:
  explicit WebCapture(const CapturePlan& plan) : plan_(plan), total_(capture_frame_count(plan)) {}

  int32_t from_ms() const { return static_cast<int32_t>(plan_.from_ms); }
  // As many frames as fit in about one display refresh, the last one shown;
  // true once every frame is done.
  bool run_batch(Session& session, WebPlatform& platform);

 private:
  CapturePlan plan_;
  int64_t total_;
  int64_t next_ = 0;
};
