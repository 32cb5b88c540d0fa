// One zero-filled block of memory for the pixels of many pictures, taken at
// once and, where the system offers it, backed by huge pages: the show's
// 60 MiB of pictures then cost a few dozen page faults instead of fifteen
// thousand.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/platform.h"

class PixelBlock {
 public:
  // False under the memory checkers (an AddressSanitizer build, valgrind):
  // there each picture keeps an allocation of its own, so that a read past
  // its end is caught rather than landing in the next picture.
  static bool wanted();

  // Room for `words` pixel words; data() is null if it cannot be had.
  explicit PixelBlock(std::size_t words);

  uint32_t* data() const { return static_cast<uint32_t*>(memory_.data()); }

 private:
  platform::ZeroedMemory memory_;
};
