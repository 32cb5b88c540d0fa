// A 44100 Hz, 16-bit stereo WAV file written as the samples arrive; the
// header's sizes are filled in when the file is finished, so an interrupted
// capture still leaves a correct file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class WavWriter {
 public:
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;
  ~WavWriter();

  bool open(const std::string& path, std::string* error);
  bool write(const std::vector<int16_t>& samples, std::string* error);
  // Writes the final sizes and closes the file.
  bool finish(std::string* error);

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  uint64_t data_bytes_ = 0;
};
