#include "show/show_scale.h"

#include "base/whole_number.h"

Result<int32_t> parse_show_scale(const char* value) {
  int64_t n = 0;
  if (!parse_whole_number(value, 1, max_show_scale, &n)) {
    return Failure{"--scale takes a whole number from 1 to " + std::to_string(max_show_scale) + ", not '" + value +
                   "'"};
  }
  return static_cast<int32_t>(n);
}
