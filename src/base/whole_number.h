// A whole number as the command lines and the input scripts write it:
// decimal digits only, no sign, no spaces.
#pragma once

#include <cstdint>

// True, with the value, when `text` is one or more decimal digits whose value
// lies in [min, max] (0 <= min <= max); false for anything else, however many
// digits it has.
inline bool parse_whole_number(const char* text, int64_t min, int64_t max, int64_t* value) {
  if (text == nullptr || *text == '\0') return false;
  int64_t v = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    const int digit = *p - '0';
    if (v > max / 10 || v * 10 > max - digit) return false;
    v = v * 10 + digit;
  }
  if (v < min) return false;
  *value = v;
  return true;
}
