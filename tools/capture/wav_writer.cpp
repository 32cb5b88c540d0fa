#include "wav_writer.h"

#include <cerrno>
#include <cstring>

namespace {

void put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  put16(p, v & 0xFFFF);
  put16(p + 2, v >> 16);
}

// The canonical 44-byte header of PCM data: RIFF, fmt, data.
void make_header(uint8_t* h, uint64_t size) {
  // A RIFF size field holds 32 bits; longer sound keeps the largest size it can say.
  const uint32_t data_bytes = size > 0xFFFFFFD0u ? 0xFFFFFFD0u : static_cast<uint32_t>(size);
  std::memcpy(h, "RIFF", 4);
  put32(h + 4, 36 + data_bytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  put32(h + 16, 16);
  put16(h + 20, 1);               // PCM
  put16(h + 22, 2);               // channels
  put32(h + 24, 44100);           // frames per second
  put32(h + 28, 44100 * 2 * 2);   // bytes per second
  put16(h + 32, 4);               // bytes per frame
  put16(h + 34, 16);              // bits per sample
  std::memcpy(h + 36, "data", 4);
  put32(h + 40, data_bytes);
}

Failure reason(const std::string& path) { return Failure{path + ": " + std::strerror(errno)}; }

}  // namespace

Result<void> WavWriter::open(const std::string& path, uint64_t expected_bytes) {
  data_bytes_ = 0;
  Result<void> opened = file_.open(path);
  if (!opened) return opened;
  uint8_t header[44];
  make_header(header, expected_bytes);
  if (std::fwrite(header, 1, sizeof header, file_.stream()) != sizeof header) {
    Failure failure = reason(file_.name());
    file_.abandon();
    return failure;
  }
  return {};
}

Result<void> WavWriter::write(const std::vector<int16_t>& samples) {
  // Samples are little-endian on disk, as in memory on the machines we build for.
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
  if (samples.empty()) return {};
  if (std::fwrite(samples.data(), sizeof(int16_t), samples.size(), file_.stream()) != samples.size()) {
    return reason(file_.name());
  }
  data_bytes_ += samples.size() * sizeof(int16_t);
  return {};
}

Result<void> WavWriter::finish() {
  std::FILE* file = file_.stream();
  if (file == nullptr) return Failure{file_.name() + ": not open"};
  uint8_t header[44];
  make_header(header, data_bytes_);
  if (file_.seekable() &&
      (std::fseek(file, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, file) != sizeof header)) {
    Failure failure = reason(file_.name());
    file_.abandon();
    return failure;
  }
  return file_.commit();
}
