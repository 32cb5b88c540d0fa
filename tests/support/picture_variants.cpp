#include "support/picture_variants.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "image/picture_load.h"
#include "show/show_files.h"
#include "support/files.h"
#include "support/pictures.h"

namespace fs = std::filesystem;

namespace {

// 0xAARRGGBB `pixel` as `variant` makes picture `index`'s pixel at (x, y).
uint32_t variant_pixel(PictureVariant variant, uint32_t pixel, int32_t index, int32_t x, int32_t y) {
  if (variant == PictureVariant::inverted) return pixel ^ 0x00FFFFFFu;
  // Blocks of 8 pixels, each a colour of a harsh palette; most of them dark
  // in even pictures, light in odd ones.
  static constexpr uint32_t dark[] = {0x000000, 0x000000, 0x0000FF, 0xFF0000};
  static constexpr uint32_t light[] = {0xFFFFFF, 0xFFFFFF, 0xFFFF00, 0x00FFFF};
  uint32_t h = static_cast<uint32_t>(index) * 2654435761u ^ static_cast<uint32_t>(x / 8) * 40503u ^
               static_cast<uint32_t>(y / 8) * 2246822519u;
  h ^= h >> 15, h *= 2246822519u, h ^= h >> 13;
  const bool lit = (h & 7) < 6 ? index % 2 == 1 : index % 2 == 0;
  return (pixel & 0xFF000000u) | (lit ? light : dark)[(h >> 3) & 3];
}

}  // namespace

void write_picture_variant(const std::string& dir, const std::string& from, PictureVariant variant) {
  fs::create_directories(fs::path(dir) / "data");
  for (int32_t i = 0; i < picture_count; ++i) {
    const std::string path = picture_paths[i];
    const PictureResult loaded = picture_load((fs::path(from) / path).string().c_str());
    if (!loaded.ok()) throw std::runtime_error("cannot read " + (fs::path(from) / path).string());
    const Image& image = loaded.image;
    const bool jpeg = path.ends_with(".jpg");
    std::vector<uint16_t> samples;
    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < image.height; ++y) {
      for (int32_t x = 0; x < image.width; ++x) {
        const uint32_t p = variant_pixel(variant, image.pixels[y * image.width + x], i, x, y);
        // RGB for a JPEG, RGBA for a PNG.
        for (int shift : {16, 8, 0}) bytes.push_back(static_cast<uint8_t>(p >> shift));
        if (!jpeg) samples.insert(samples.end(), {bytes.end()[-3], bytes.end()[-2], bytes.end()[-1],
                                                 static_cast<uint16_t>(p >> 24)});
      }
    }
    const auto w = static_cast<uint32_t>(image.width), h = static_cast<uint32_t>(image.height);
    write_file((fs::path(dir) / path).string(), jpeg ? encode_jpeg(w, h, {.quality = 90}, bytes)
                                                     : encode_png(w, h, {.colour = PngColour::rgba}, samples));
  }
  const fs::path track = fs::path(dir) / "data/rinnu.mp3";
  fs::copy_file(fs::path(from) / "data/rinnu.mp3", track, fs::copy_options::overwrite_existing);
}
