// The offline renderer: drives the show's own frame step on a virtual clock
// and writes the frames and the sound to the requested outputs.
#pragma once

#include "options.h"

// Runs a whole capture from a directory that holds data/. Returns the
// process exit status: 0 when done, 1 on a failure (one line on stderr, no
// unfinished output left), 128 + the signal when stopped by SIGHUP, SIGINT,
// SIGQUIT or SIGTERM (outputs are finished cleanly up to the last frame
// made; stopped before the first frame, none is made).
int run_capture(const CaptureOptions& options);
