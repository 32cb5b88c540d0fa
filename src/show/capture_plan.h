// Which frames an offline render of the show takes, as sava-capture and the
// web page's capture mode both read them from "--from MS", "--to MS" and
// "--fps N[/D]": frame i at from + i * 1000 * D / N ms, every frame before
// `to`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/result.h"
#include "show/show_length.h"

struct CapturePlan {
  int64_t from_ms = 0;
  int64_t to_ms = show_length_ms;
  int64_t fps_num = 60;  // frames per second: fps_num / fps_den
  int64_t fps_den = 1;
};

// The plan's options, "--from MS" and "--to MS" (milliseconds 0 ..
// 100000000) and "--fps N[/D]" (1 .. 1000 frames per second), each setting
// its part of the plan, or refusing a bad value.
Result<void> set_capture_from(CapturePlan* plan, const char* value);
Result<void> set_capture_to(CapturePlan* plan, const char* value);
Result<void> set_capture_fps(CapturePlan* plan, const char* value);

// Once every option is read: refused unless `to` is later than `from`.
Result<void> capture_plan_complete(const CapturePlan& plan);

// The most frames the web page's capture mode takes: it keeps every frame's
// hash (65 bytes) until the end.
inline constexpr int64_t max_page_capture_frames = 1000000;

// The web page's capture mode, from its arguments (the page's query).
struct PageCapture {
  CapturePlan plan;
  bool reduce_flashing = false;  // the frames rendered with reduced flashing
};

// The web page's arguments: the plan's options and --reduce-flashing, each
// optional, in any order, for at most max_page_capture_frames frames.
// Without any of the plan's options there is no capture (an empty
// optional).
Result<std::optional<PageCapture>> read_page_capture(int argc, const char* const* argv);

int64_t capture_frame_count(const CapturePlan& plan);
int64_t capture_frame_time(const CapturePlan& plan, int64_t frame);
