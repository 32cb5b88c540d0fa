// A 44100 Hz, 16-bit stereo WAV file written as the samples arrive, under a
// temporary name; finish() fills in the header's sizes and gives the file its
// name, so an interrupted capture that finishes still leaves a correct file,
// and one that fails or is killed leaves none. Into a pipe, a device or
// standard output it streams: the header says the expected size from the
// start, and is not rewritten.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/result.h"
#include "output_file.h"

class WavWriter {
 public:
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // `expected_bytes`: the sound data that will follow, for the header of a
  // stream.
  Result<void> open(const std::string& path, uint64_t expected_bytes);
  Result<void> write(const std::vector<int16_t>& samples);
  // Writes the final sizes (into a file), closes the output and renames it.
  Result<void> finish();
  // Removes the unfinished file (also done when the writer goes unfinished).
  void abandon() { file_.abandon(); }

 private:
  OutputFile file_;
  uint64_t data_bytes_ = 0;
};
