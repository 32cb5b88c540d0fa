// The flash analysis as the checker prints it: one line per failing stretch,
// then the verdict.
#pragma once

#include <string>

#include "flash_analysis.h"

// Show time of a frame in milliseconds: frame * 1000 * den / num.
int64_t flash_frame_ms(const FlashVideo& video, int64_t frame);

// For example
//   1:05.017 - 1:11.200  luminance  13 transitions (6.5 flashes) in one second
//   FAIL: 1 stretch, 6.183 s in all; up to 13 transitions (6.5 flashes) in one second
// or a single line beginning "PASS:".
std::string flash_report(const FlashVideo& video, const FlashResult& result);
