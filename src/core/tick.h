// The millisecond tick counter behind the show clock: 32 bits, wrapping,
// always read with wrap-around subtraction. The player points the source at
// the platform's counter; tests inject their own.
#pragma once

#include <cstdint>

using TickSource = uint32_t (*)();

// Defaults to a monotonic millisecond counter of the process.
extern TickSource tick_source;

uint32_t get_tick_count();
