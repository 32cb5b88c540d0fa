#include "image/pixel_block.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__has_include)
#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#endif
#endif

namespace {
constexpr std::size_t huge_page = std::size_t{2} << 20;
}

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

PixelBlock::PixelBlock(std::size_t words) {
  if (words == 0 || words > SIZE_MAX / sizeof(uint32_t) - huge_page) return;
  [[maybe_unused]] const std::size_t bytes = words * sizeof(uint32_t);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Mapped with a huge page to spare, so that the block can start on a
  // huge page boundary; fresh anonymous pages read as zero.
  mapped_bytes_ = bytes + huge_page;
  void* mapping = mmap(nullptr, mapped_bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping != MAP_FAILED) {
    mapping_ = mapping;
    const auto start = (reinterpret_cast<std::uintptr_t>(mapping) + huge_page - 1) & ~(huge_page - 1);
    data_ = reinterpret_cast<uint32_t*>(start);
    madvise(data_, bytes, MADV_HUGEPAGE);  // a hint: without it the block still works
    return;
  }
  mapped_bytes_ = 0;
#endif
  data_ = static_cast<uint32_t*>(std::calloc(words, sizeof(uint32_t)));
}

PixelBlock::~PixelBlock() {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (mapping_ != nullptr) {
    munmap(mapping_, mapped_bytes_);
    return;
  }
#endif
  std::free(data_);
}
