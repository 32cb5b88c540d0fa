#include "player/from_option.h"

#include <cstring>

#include "player/launch.h"

namespace {

bool parse_ms(const char* text, int32_t* ms) {
  if (text == nullptr || *text == '\0') return false;
  int64_t value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX) return false;
  }
  *ms = static_cast<int32_t>(value);
  return true;
}

}  // namespace

FromOption parse_from_option(int argc, const char* const* argv) {
  FromOption from;
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    if (argv[i] == nullptr || std::strcmp(argv[i], "--from") != 0) continue;
    from.given = true;
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (!parse_ms(value, &from.ms)) {
      from.error = std::string("sava: --from needs a show time in whole milliseconds (0 to 2147483647)") +
                   (value != nullptr ? std::string(", not \"") + value + "\"" : std::string());
      return from;
    }
    ++i;
  }
  return from;
}

uint32_t video_flags_with_from(int argc, const char* const* argv, const FromOption& from) {
  if (!from.given) return video_flags_for(argc, argv);
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    if (argv[i] != nullptr && std::strcmp(argv[i], "--windowed") == 0) return video_flag_doublebuf;
  }
  return video_flag_fullscreen;
}
