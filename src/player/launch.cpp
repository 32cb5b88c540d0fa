#include "player/launch.h"

#include <cstring>

uint32_t video_flags_for(int argc, const char* const* argv) {
  if (argc > 1 && argv != nullptr && argv[1] != nullptr && std::strcmp(argv[1], "--windowed") == 0) {
    return video_flag_doublebuf;
  }
  return video_flag_fullscreen;
}

std::string latin1_to_utf8(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    if (*p < 0x80) {
      out.push_back(static_cast<char>(*p));
    } else {
      // Code points 0x80-0xFF: 110000xx 10xxxxxx.
      out.push_back(static_cast<char>(0xC0 | (*p >> 6)));
      out.push_back(static_cast<char>(0x80 | (*p & 0x3F)));
    }
  }
  return out;
}
