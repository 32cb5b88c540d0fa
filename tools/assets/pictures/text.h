// Anti-aliased text through FreeType, from the fonts Debian ships in
// fonts-dejavu-core.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/result.h"

namespace assets {

enum class FontStyle { sans_bold, sans, sans_light, serif_bold, serif_italic, condensed_bold, mono_bold };

// Coverage of the inked pixels of one line of text, cropped to the ink.
struct TextMask {
  int width = 0;
  int height = 0;
  int baseline = 0;             // row of the baseline, counted from the ink's top
  std::vector<float> coverage;  // width * height, 0..1
  float at(int x, int y) const { return coverage[static_cast<size_t>(y) * width + x]; }
};

class Font {
 public:
  // Opens the style's font file from the Debian font directories; refused
  // when none of them holds it or FreeType refuses it.
  static Result<std::unique_ptr<Font>> open(FontStyle style);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Renders UTF-8 text at a pixel size; `tracking` adds pixels between letters.
  TextMask render(const std::string& utf8, int pixel_size, float tracking = 0) const;
  // The largest rendering whose ink fits in max_w x max_h; empty (width 0)
  // if not even the smallest size fits.
  TextMask fit(const std::string& utf8, int max_w, int max_h, float tracking_em = 0) const;

 private:
  struct Impl;
  explicit Font(Impl* impl) : impl_(impl) {}
  Impl* impl_;
};

}  // namespace assets
