#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// A whole decimal number within [lo, hi], nothing else.
bool parse_int(const char* text, int64_t lo, int64_t hi, int64_t* out) {
  if (text == nullptr || *text == '\0') return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *out = v;
  return true;
}

// "N" or "N/D", a rate from 1 to 1000 frames per second.
bool parse_rate(const char* text, int64_t* num, int64_t* den) {
  const char* slash = std::strchr(text, '/');
  std::string n = slash ? std::string(text, slash) : std::string(text);
  std::string d = slash ? std::string(slash + 1) : std::string("1");
  if (!parse_int(n.c_str(), 1, 1000000000, num) || !parse_int(d.c_str(), 1, 1000000000, den)) return false;
  return *num >= *den && *num <= 1000 * *den;
}

}  // namespace

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
    if (arg == "--from" || arg == "--to") {
      int64_t ms = 0;
      if (!value(&v)) return std::nullopt;
      if (!parse_int(v, 0, 100000000, &ms)) {
        *error = arg + " takes milliseconds from 0 to 100000000, not '" + v + "'";
        return std::nullopt;
      }
      (arg == "--from" ? o.from_ms : o.to_ms) = ms;
    } else if (arg == "--fps") {
      if (!value(&v)) return std::nullopt;
      if (!parse_rate(v, &o.fps_num, &o.fps_den)) {
        *error = std::string("--fps takes N or N/D between 1 and 1000 frames per second, not '") + v + "'";
        return std::nullopt;
      }
    } else if (arg == "--scale") {
      int64_t s = 0;
      if (!value(&v)) return std::nullopt;
      if (!parse_int(v, 1, 16, &s)) {
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
    } else {
      *error = "unknown argument '" + arg + "'";
      return std::nullopt;
    }
  }
  if (!any_output) {
    *error = "no output given";
    return std::nullopt;
  }
  if (o.to_ms <= o.from_ms) {
    *error = "--to must be later than --from";
    return std::nullopt;
  }
  return o;
}
