#include "player/web/capture_plan.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// A whole decimal number within [lo, hi], nothing else.
bool parse_int(const std::string& text, int64_t lo, int64_t hi, int64_t* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool parse_rate(const std::string& text, int64_t* num, int64_t* den) {
  const std::size_t slash = text.find('/');
  const std::string n = text.substr(0, slash);
  const std::string d = slash == std::string::npos ? "1" : text.substr(slash + 1);
  if (!parse_int(n, 1, 1000000000, num) || !parse_int(d, 1, 1000000000, den)) return false;
  return *num >= *den && *num <= 1000 * *den;
}

}  // namespace

std::optional<CapturePlan> parse_capture_plan(int argc, const char* const* argv, std::string* error) {
  error->clear();
  if (argc == 0) return std::nullopt;
  CapturePlan plan;
  for (int i = 0; i < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg != "--from" && arg != "--to" && arg != "--fps") {
      *error = "unknown argument '" + arg + "'";
      return std::nullopt;
    }
    if (i + 1 >= argc) {
      *error = arg + " needs a value";
      return std::nullopt;
    }
    const std::string value = argv[i + 1];
    if (arg == "--fps") {
      if (!parse_rate(value, &plan.fps_num, &plan.fps_den)) {
        *error = "--fps takes N or N/D between 1 and 1000 frames per second, not '" + value + "'";
        return std::nullopt;
      }
    } else if (!parse_int(value, 0, 100000000, arg == "--from" ? &plan.from_ms : &plan.to_ms)) {
      *error = arg + " takes milliseconds from 0 to 100000000, not '" + value + "'";
      return std::nullopt;
    }
  }
  if (plan.to_ms <= plan.from_ms) {
    *error = "--to must be later than --from";
    return std::nullopt;
  }
  return plan;
}

int64_t capture_frame_count(const CapturePlan& plan) {
  const int64_t per = 1000 * plan.fps_den;
  return ((plan.to_ms - plan.from_ms) * plan.fps_num + per - 1) / per;
}

int64_t capture_frame_time(const CapturePlan& plan, int64_t frame) {
  return plan.from_ms + (frame * 1000 * plan.fps_den) / plan.fps_num;
}
