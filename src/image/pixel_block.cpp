#include "image/pixel_block.h"

#include <cstdint>

#if defined(__has_include)
#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#endif
#endif

bool PixelBlock::wanted() {
#if defined(__SANITIZE_ADDRESS__)
  return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return false;
#endif
#endif
#if defined(RUNNING_ON_VALGRIND)
  if (RUNNING_ON_VALGRIND) return false;
#endif
  return true;
}

PixelBlock::PixelBlock(std::size_t words)
    : memory_(words <= SIZE_MAX / sizeof(uint32_t) ? words * sizeof(uint32_t) : 0) {}
