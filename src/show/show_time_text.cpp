#include "show/show_time_text.h"

#include <cstdio>
#include <cstdlib>

std::string format_show_time(int64_t ms) {
  // The magnitude of INT64_MIN has no int64_t: such a time is read one
  // millisecond later.
  const long long magnitude = std::llabs(ms == INT64_MIN ? ms + 1 : ms);
  char text[48];
  std::snprintf(text, sizeof text, "%s%lld:%02lld.%03lld", ms < 0 ? "-" : "", magnitude / 60000,
                magnitude / 1000 % 60, magnitude % 1000);
  return text;
}
