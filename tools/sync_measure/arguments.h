// The measuring helpers' command lines: positional arguments only, so an
// option (or anything else that starts with a dash) is a usage error, and
// a length of time must be a positive number of seconds.
#pragma once

#include <stdlib.h>

// The seconds `text` gives, or -1 when it is not a positive number.
static inline double seconds_argument(const char* text) {
  char* end = NULL;
  const double seconds = strtod(text, &end);
  return end != text && *end == '\0' && seconds > 0 ? seconds : -1;
}

// Whether every argument after the program's name is positional.
static inline int all_positional(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') return 0;
  }
  return 1;
}
