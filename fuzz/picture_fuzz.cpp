// Fuzz target for the picture loader. Built twice: with SAVA_FUZZ_PNG every
// input is made to start with the PNG signature (so the PNG decoder sees it),
// without it inputs that start with the signature are skipped (so the JPEG
// decoder sees the rest).
//
// A decoded picture must be within the size limits and have every one of its
// width x height pixels readable (the sanitizer checks the reads); a refusal
// must say why.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_file.h"
#include "image/picture_load.h"

namespace {

constexpr uint8_t png_signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

void check(const PictureResult& result) {
  const Image* image = result.image.pixels != nullptr ? &result.image : nullptr;
  if (image == nullptr) {
    // Refused, with a reason and a kind; nothing here asks to stop.
    if (result.ok() || result.failure == PictureFailure::stopped || result.reason.empty()) std::abort();
    return;
  }
  if (!result.ok() || !result.reason.empty()) std::abort();
  if (image->width <= 0 || image->height <= 0) std::abort();
  if (static_cast<uint32_t>(image->width) > picture_max_side ||
      static_cast<uint32_t>(image->height) > picture_max_side ||
      static_cast<uint64_t>(image->width) * static_cast<uint64_t>(image->height) > picture_max_pixels) {
    std::abort();
  }
  // Every pixel is read once: the pixel array must be the whole picture.
  uint32_t sum = 0;
  const size_t count = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
  for (size_t i = 0; i < count; ++i) sum += image->pixels[i];
  volatile uint32_t sink = sum;
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFile file;
#ifdef SAVA_FUZZ_PNG
  std::vector<uint8_t> bytes(png_signature, png_signature + sizeof png_signature);
  if (size >= sizeof png_signature && std::memcmp(data, png_signature, sizeof png_signature) == 0) {
    bytes.insert(bytes.end(), data + sizeof png_signature, data + size);
  } else {
    bytes.insert(bytes.end(), data, data + size);
  }
  const char* path = file.write(bytes.data(), bytes.size());
#else
  if (size >= sizeof png_signature && std::memcmp(data, png_signature, sizeof png_signature) == 0) return -1;
  const char* path = file.write(data, size);
#endif
  check(picture_load(path));
  return 0;
}
