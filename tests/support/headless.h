// Running the player headless in a test: no display, its sound written to a
// file in its working directory, which also tells how far it has played.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/child_process.h"

// `program` (the player or another program that opens the display and the
// audio device) in `dir` with dummy video, disk audio into
// headless_audio(dir), and the leak checker's suppressions for a sanitizer
// build.
ChildLaunch headless_launch(const std::string& program, const std::string& dir);
std::string headless_audio(const std::string& dir);

// Index of the first sample frame (4 bytes) with any non-zero byte: the
// device plays silence until the show's sound starts. pcm.size() if none.
size_t first_sound(const std::vector<uint8_t>& pcm);
// A readiness condition: the recording in `dir` holds at least `bytes` of
// sound from its first sound on.
std::function<bool()> once_played(const std::string& dir, size_t bytes);

// The lines of a program's standard error, less the two the disk audio
// driver prints about itself when the device is opened.
std::vector<std::string> message_lines(const std::string& text);
