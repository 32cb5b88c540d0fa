#include "show/capture_plan.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// "N" or "N/D", a rate from 1 to 1000 frames per second.
bool parse_rate(const char* text, int64_t* num, int64_t* den) {
  const char* slash = std::strchr(text, '/');
  const std::string n = slash != nullptr ? std::string(text, slash) : std::string(text);
  const std::string d = slash != nullptr ? std::string(slash + 1) : std::string("1");
  if (!parse_int_in(n.c_str(), 1, 1000000000, num) || !parse_int_in(d.c_str(), 1, 1000000000, den)) return false;
  return *num >= *den && *num <= 1000 * *den;
}

}  // namespace

bool parse_int_in(const char* text, int64_t lo, int64_t hi, int64_t* out) {
  if (text == nullptr || *text == '\0') return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool is_capture_plan_option(const std::string& arg) { return arg == "--from" || arg == "--to" || arg == "--fps"; }

bool set_capture_plan_option(CapturePlan* plan, const std::string& arg, const char* value, std::string* error) {
  if (arg == "--fps") {
    if (parse_rate(value, &plan->fps_num, &plan->fps_den)) return true;
    *error = std::string("--fps takes N or N/D between 1 and 1000 frames per second, not '") + value + "'";
    return false;
  }
  if (parse_int_in(value, 0, 100000000, arg == "--from" ? &plan->from_ms : &plan->to_ms)) return true;
  *error = arg + " takes milliseconds from 0 to 100000000, not '" + value + "'";
  return false;
}

bool capture_plan_complete(const CapturePlan& plan, std::string* error) {
  if (plan.to_ms > plan.from_ms) return true;
  *error = "--to must be later than --from";
  return false;
}

std::optional<CapturePlan> parse_capture_plan(int argc, const char* const* argv, std::string* error) {
  error->clear();
  if (argc == 0) return std::nullopt;
  CapturePlan plan;
  for (int i = 0; i < argc; i += 2) {
    const std::string arg = argv[i];
    if (!is_capture_plan_option(arg)) {
      *error = "unknown argument '" + arg + "'";
      return std::nullopt;
    }
    if (i + 1 >= argc) {
      *error = arg + " needs a value";
      return std::nullopt;
    }
    if (!set_capture_plan_option(&plan, arg, argv[i + 1], error)) return std::nullopt;
  }
  if (!capture_plan_complete(plan, error)) return std::nullopt;
  return plan;
}

int64_t capture_frame_count(const CapturePlan& plan) {
  const int64_t per = 1000 * plan.fps_den;
  return ((plan.to_ms - plan.from_ms) * plan.fps_num + per - 1) / per;
}

int64_t capture_frame_time(const CapturePlan& plan, int64_t frame) {
  return plan.from_ms + (frame * 1000 * plan.fps_den) / plan.fps_num;
}
