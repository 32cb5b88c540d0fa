// A contact sheet of the show: one thumbnail per scene, taken a second into
// its cue, each labelled with its show time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/result.h"

class ContactSheet {
 public:
  // `cue_times`: the start time of every scene, ascending.
  explicit ContactSheet(std::vector<int32_t> cue_times);

  // Offers the frame shown at `now_ms`; the sheet keeps the first frame at
  // or after each scene's cue time plus one second, within that scene.
  void offer(int64_t now_ms, const uint32_t* screen);

  // Encodes the sheet as a PNG into `file`; `name` names it in the failure.
  Result<void> write(std::FILE* file, const std::string& name) const;

  // The cell's label for a show time, e.g. "1:04.000".
  static std::string label(int64_t ms);

 private:
  struct Cell {
    bool taken = false;
    int64_t time_ms = 0;
    std::vector<uint32_t> pixels;  // half size: 200x150
  };
  std::vector<int32_t> cue_times_;
  std::vector<Cell> cells_;
};
