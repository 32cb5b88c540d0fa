#include "options.h"

#include <cstring>

std::optional<CaptureOptions> parse_capture_options(int argc, const char* const* argv, std::string* error) {
  CaptureOptions o;
  // --help wherever an option can stand (not as the value of another).
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      o.help = true;
      return o;
    }
    for (const char* takes_value : {"--from", "--to", "--fps", "--scale", "--raw", "--frames", "--wav", "--video",
                                    "--sheet", "--data"}) {
      if (std::strcmp(argv[i], takes_value) == 0) {
        ++i;
        break;
      }
    }
  }
  bool any_output = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char** out) {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    if (is_capture_plan_option(arg)) {
      if (!value(&v) || !set_capture_plan_option(&o, arg, v, error)) return std::nullopt;
    } else if (arg == "--scale") {
      int64_t s = 0;
      if (!value(&v)) return std::nullopt;
      if (!parse_int_in(v, 1, 16, &s)) {
        *error = std::string("--scale takes a whole number from 1 to 16, not '") + v + "'";
        return std::nullopt;
      }
      o.video_scale = static_cast<int32_t>(s);
    } else if (arg == "--raw" || arg == "--frames" || arg == "--wav" || arg == "--video" || arg == "--sheet") {
      if (!value(&v)) return std::nullopt;
      if (*v == '\0') {
        *error = arg + " needs a non-empty value";
        return std::nullopt;
      }
      std::string& target = arg == "--raw"      ? o.raw_path
                            : arg == "--frames" ? o.frames_dir
                            : arg == "--wav"    ? o.wav_path
                            : arg == "--video"  ? o.video_path
                                                : o.sheet_path;
      target = v;
      any_output = true;
    } else if (arg == "--data") {
      if (!value(&v)) return std::nullopt;
      if (*v == '\0') {
        *error = "--data needs a non-empty value";
        return std::nullopt;
      }
      o.data_dir = v;
    } else if (arg == "--null") {
      o.null_output = true;
      any_output = true;
    } else if (arg == "--stats") {
      o.stats = true;
    } else if (arg == "--reduce-flashing") {
      o.reduce_flashing = true;
    } else {
      *error = "unknown argument '" + arg + "'";
      return std::nullopt;
    }
  }
  if (!any_output) {
    *error = "no output given";
    return std::nullopt;
  }
  if (!capture_plan_complete(o, error)) return std::nullopt;
  return o;
}
