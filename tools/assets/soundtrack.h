// The show's soundtrack: original music synthesized to the show's timeline
// and encoded as MP3.
#pragma once

#include <string>

// Writes the soundtrack as an MP3 file at `path`. Returns false and sets
// `error` to a one-line reason on failure. The output is the same bytes on
// every run.
bool write_soundtrack(const std::string& path, std::string* error);
