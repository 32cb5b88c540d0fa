// Scripted input: a text of steps that press keys and save frames at given
// moments of a run, so that a run of the player can be repeated exactly
// (tests, demonstrations). Read from the file named by SAVA_INPUT_SCRIPT.
//
//   # a comment; blank lines are skipped
//   at 2500 t              when the show reaches 2500 ms: the first frame at
//                          that time or later whose frame before was earlier
//                          (the first frame of the run counts as reaching it)
//   after 30 space         30 frames after the frame of the step before
//   after 0 dump a.raw     in the same frame
//
// A step waits for the one before it; the first waits for the first frame
// the show draws (the platform runs none before it). Keys are pressed and released through
// the player's own input rule: space, left, right, pageup, pagedown, home,
// l, t, plus, minus, escape, enter, each with an optional "alt+" in front. "dump FILE"
// saves the frame the show drew, "dump-presented FILE" the picture as
// presented (the overlay included), each as 400x300 words 0xAARRGGBB in
// native byte order; "trace FILE" writes the show time of every frame drawn
// from then on, one a line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"

struct ScriptStep {
  enum class When { at_time, after_frames };
  enum class Kind { key, dump, dump_presented, trace };
  When when = When::after_frames;
  int64_t value = 0;  // show time (ms) or frames
  Kind kind = Kind::key;
  int32_t key = 0;
  uint32_t modifiers = 0;
  std::string path;  // dumps, trace
  std::string text;  // the step as written
};

// The steps of `text`, or the one-line reason naming the line.
Result<std::vector<ScriptStep>> parse_input_script(const std::string& text);

// Largest script file read.
inline constexpr int64_t input_script_max_bytes = int64_t{1} << 20;

// The steps of the script file at `path`: a regular file of at most
// input_script_max_bytes, opened without waiting for a writer. Otherwise
// the one-line reason naming the file (a folder, a device, a FIFO, a missing
// or unreadable file, one too large, a bad line).
Result<std::vector<ScriptStep>> read_input_script(const std::string& path);

// Tells which steps are due as frames are shown.
class ScriptRunner {
 public:
  explicit ScriptRunner(std::vector<ScriptStep> steps) : steps_(std::move(steps)) {}

  // Frame `frame` (counted from 0, paused frames included) at show time
  // `now` has been shown: the steps that fire now, in order.
  std::vector<const ScriptStep*> due(int64_t frame, int32_t now);
  bool finished() const { return next_ >= steps_.size(); }

 private:
  std::vector<ScriptStep> steps_;
  size_t next_ = 0;
  int64_t last_fired_frame_ = 0;
  int32_t last_time_ = INT32_MIN;  // of the frame before
  bool first_frame_ = true;
};
