// SHA-256 of a byte string, as lowercase hex: the checksum the web page
// reports for every frame it renders in capture mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
 public:
  Sha256();
  void update(const void* data, std::size_t size);
  // The digest of everything given so far as 64 lowercase hex digits. The
  // object is spent afterwards (start a new one for the next message).
  std::string hex_digest();

 private:
  void compress(const uint8_t* block);

  uint32_t state_[8];
  uint8_t block_[64];
  std::size_t block_fill_ = 0;
  uint64_t total_bytes_ = 0;
};

std::string sha256_hex(const void* data, std::size_t size);
