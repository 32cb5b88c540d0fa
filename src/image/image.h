// The 32-bit pixel buffer every effect draws into.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <variant>

#include "base/result.h"

class PixelBlock;

// Pixel (x, y) is word y * width + x; a word is 0xAARRGGBB (blue in bits 0-7).
//
// A picture owns its pixels (Image::create), shares a block that holds the
// pixels of many pictures (PixelBlock: the block lives as long as any of
// them), or views pixels owned elsewhere that outlive it (a window's frame,
// a part of another picture). It moves but is never copied. Effects and
// scenes observe a picture through an Image* and never own it.
class Image {
 public:
  // No pixels, 0 x 0.
  Image() = default;
  // Views `pixels`: width x height words, rows without gaps, owned elsewhere.
  Image(uint32_t* pixels, int32_t width, int32_t height) : pixels(pixels), width(width), height(height) {}
  // Over `pixels`, width x height words inside `block`, which it shares.
  Image(std::shared_ptr<const PixelBlock> block, uint32_t* pixels, int32_t width, int32_t height);
  // Zero-filled pixels of its own (one word at least, so that pixels is
  // never null), or "out of memory for <width> x <height> pixels". Left as
  // they come when not `cleared`: for a caller that clears them itself, a
  // part at a time.
  static Result<Image> create(int32_t width, int32_t height, bool cleared = true);

  Image(Image&& other) noexcept;
  Image& operator=(Image&& other) noexcept;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  ~Image() = default;

  bool owns_pixels() const { return std::holds_alternative<OwnPixels>(keeper_); }
  bool shares_block() const { return std::holds_alternative<SharedBlock>(keeper_); }

  // Set by the constructors; a moved-from picture is left without pixels.
  uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;

 private:
  struct FreePixels {
    void operator()(uint32_t* pixels) const { std::free(pixels); }
  };
  using OwnPixels = std::unique_ptr<uint32_t[], FreePixels>;
  using SharedBlock = std::shared_ptr<const PixelBlock>;
  // What keeps the pixels: nothing (a view), the picture itself, or its
  // share of a block.
  std::variant<std::monostate, OwnPixels, SharedBlock> keeper_;
};

// A picture held by a unique handle, where one is handed around by pointer.
using ImagePtr = std::unique_ptr<Image>;
