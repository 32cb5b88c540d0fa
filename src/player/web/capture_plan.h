// Which frames the page renders in capture mode: the same frames as the
// offline renderer for the same --from, --to and --fps (frame i at
// from + i * 1000 * D / N ms, every frame before `to`).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct CapturePlan {
  int64_t from_ms = 0;
  int64_t to_ms = 184000;
  int64_t fps_num = 60;  // frames per second: fps_num / fps_den
  int64_t fps_den = 1;
};

// Parses "--from MS", "--to MS" and "--fps N[/D]" (each optional, any order;
// milliseconds 0 .. 100000000, 1 .. 1000 frames per second, `to` later than
// `from`). No arguments at all means no capture: the result is empty and
// `error` stays empty. On a bad argument the result is empty and `error` is
// a one-line reason.
std::optional<CapturePlan> parse_capture_plan(int argc, const char* const* argv, std::string* error);

int64_t capture_frame_count(const CapturePlan& plan);
int64_t capture_frame_time(const CapturePlan& plan, int64_t frame);
