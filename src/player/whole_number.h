// A whole number as the player's command line and input scripts write it:
// decimal digits only, no sign, no spaces.
#pragma once

#include <cstdint>

// True, with the value, when `text` is one or more digits whose value is at
// most `max` (at most INT64_MAX / 10, so that no step overflows).
inline bool parse_whole_number(const char* text, int64_t max, int64_t* value) {
  if (*text == '\0') return false;
  int64_t v = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + (*p - '0');
    if (v > max) return false;
  }
  *value = v;
  return true;
}
