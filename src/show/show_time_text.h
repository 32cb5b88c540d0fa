// Show times as people read them.
#pragma once

#include <cstdint>
#include <string>

// "m:ss.mmm" (minutes not padded), with a leading "-" below 0.
std::string format_show_time(int64_t ms);
