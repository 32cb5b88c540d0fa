#include "options.h"

#include <cstring>

#include "base/whole_number.h"
#include "show/capture_plan.h"

namespace {

// "WxH", each from 2 to 8192, at most the pixels of a 7680x4320 frame.
bool parse_size(const std::string& text, int32_t* width, int32_t* height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  int64_t w = 0, h = 0;
  if (!parse_whole_number(text.substr(0, x).c_str(), 2, 8192, &w) ||
      !parse_whole_number(text.substr(x + 1).c_str(), 2, 8192, &h) || w * h > 7680 * 4320) {
    return false;
  }
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return true;
}

}  // namespace

std::optional<FlashCheckOptions> parse_flash_check_options(int argc, const char* const* argv, std::string* error) {
  FlashCheckOptions o;
  bool have_fps = false, have_path = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      return o;
    }
    if (arg == "--fps" || arg == "--size") {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return std::nullopt;
      }
      const char* v = argv[++i];
      if (arg == "--fps") {
        CapturePlan plan;
        if (!set_capture_fps(&plan, v, error)) return std::nullopt;
        o.video.fps_num = plan.fps_num;
        o.video.fps_den = plan.fps_den;
        have_fps = true;
      } else if (!parse_size(v, &o.video.width, &o.video.height)) {
        *error = std::string("--size takes WxH, each from 2 to 8192 and at most 7680x4320 pixels, not '") + v + "'";
        return std::nullopt;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      *error = "unknown argument '" + arg + "'";
      return std::nullopt;
    } else if (have_path || arg.empty()) {
      *error = arg.empty() ? "the file name is empty" : "more than one file given";
      return std::nullopt;
    } else {
      o.path = arg;
      have_path = true;
    }
  }
  if (!have_fps) {
    *error = "--fps is required";
    return std::nullopt;
  }
  return o;
}
