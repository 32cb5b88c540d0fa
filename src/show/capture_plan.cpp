#include "show/capture_plan.h"

#include <cstring>
#include <span>

#include "base/option_table.h"
#include "base/whole_number.h"

namespace {

// "N" or "N/D", a rate from 1 to 1000 frames per second.
bool parse_rate(const char* text, int64_t* num, int64_t* den) {
  const char* slash = std::strchr(text, '/');
  const std::string n = slash != nullptr ? std::string(text, slash) : std::string(text);
  const std::string d = slash != nullptr ? std::string(slash + 1) : std::string("1");
  if (!parse_whole_number(n.c_str(), 1, 1000000000, num) || !parse_whole_number(d.c_str(), 1, 1000000000, den)) {
    return false;
  }
  return *num >= *den && *num <= 1000 * *den;
}

Result<void> set_milliseconds(const char* option, const char* value, int64_t* ms) {
  if (parse_whole_number(value, 0, 100000000, ms)) return {};
  return Failure{std::string(option) + " takes milliseconds from 0 to 100000000, not '" + value + "'"};
}

// The web page's arguments: the plan's options and the reduced flashing.
struct PageArguments {
  PageCapture capture;
  bool planned = false;  // one of the plan's options is given
};

template <Result<void> (*set)(CapturePlan*, const char*)>
Result<void> set_page_plan(PageArguments* args, const char* value) {
  args->planned = true;
  return set(&args->capture.plan, value);
}

const Option<PageArguments> page_options[] = {
    {"--from", nullptr, "MS", "", set_page_plan<set_capture_from>},
    {"--to", nullptr, "MS", "", set_page_plan<set_capture_to>},
    {"--fps", nullptr, "N[/D]", "", set_page_plan<set_capture_fps>},
    {"--reduce-flashing", nullptr, nullptr, "",
     [](PageArguments* args, const char*) {
       args->capture.reduce_flashing = true;
       return Result<void>{};
     }},
};

}  // namespace

Result<void> set_capture_from(CapturePlan* plan, const char* value) {
  return set_milliseconds("--from", value, &plan->from_ms);
}

Result<void> set_capture_to(CapturePlan* plan, const char* value) {
  return set_milliseconds("--to", value, &plan->to_ms);
}

Result<void> set_capture_fps(CapturePlan* plan, const char* value) {
  if (parse_rate(value, &plan->fps_num, &plan->fps_den)) return {};
  return Failure{std::string("--fps takes N or N/D between 1 and 1000 frames per second, not '") + value + "'"};
}

Result<void> capture_plan_complete(const CapturePlan& plan) {
  if (plan.to_ms > plan.from_ms) return {};
  return Failure{"--to must be later than --from"};
}

Result<std::optional<PageCapture>> read_page_capture(int argc, const char* const* argv) {
  PageArguments args;
  const Result<void> parsed =
      parse_options(std::span<const Option<PageArguments>>(page_options),
                    std::span<const char* const>(argv, static_cast<size_t>(argc)), UnknownArgument::refused, &args);
  if (!parsed) return parsed.failure();
  if (!args.planned) return std::optional<PageCapture>();
  const CapturePlan& plan = args.capture.plan;
  if (const Result<void> complete = capture_plan_complete(plan); !complete) return complete.failure();
  if (const int64_t frames = capture_frame_count(plan); frames > max_page_capture_frames) {
    return Failure{"the page captures at most " + std::to_string(max_page_capture_frames) + " frames, not " +
                   std::to_string(frames) + " (fewer with a later --from, an earlier --to or a lower --fps)"};
  }
  return std::optional<PageCapture>(args.capture);
}

int64_t capture_frame_count(const CapturePlan& plan) {
  const int64_t per = 1000 * plan.fps_den;
  return ((plan.to_ms - plan.from_ms) * plan.fps_num + per - 1) / per;
}

int64_t capture_frame_time(const CapturePlan& plan, int64_t frame) {
  return plan.from_ms + (frame * 1000 * plan.fps_den) / plan.fps_num;
}
