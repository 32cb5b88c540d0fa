#include "show/show_length.h"

#include "show/show_time_text.h"

Result<void> check_show_start(const char* option, int64_t ms) {
  if (ms < show_length_ms) return {};
  return Failure{std::string(option) + " " + std::to_string(ms) + " is not before the end of the show: it is " +
                 std::to_string(show_length_ms) + " ms (" + format_show_time(show_length_ms) + ") long"};
}
