#include "effects/smear.h"

#include <algorithm>
#include <cstring>

namespace {

// The filled range of a signed span from `line`: [line, line + span) for a
// positive span, [line + span, line) otherwise, clipped to [0, limit).
// 64-bit so that line + span cannot overflow.
struct Range {
  int64_t begin, end;
};

Range span_range(int32_t line, int32_t span, int32_t limit) {
  int64_t begin = span > 0 ? line : int64_t{line} + span;
  int64_t end = span > 0 ? int64_t{line} + span : line;
  begin = std::max<int64_t>(begin, 0);
  end = std::min<int64_t>(end, limit);
  return Range{begin, end};
}

}  // namespace

// Every pixel of the range takes the source column's pixel of its row. The
// source column lies inside the filled range only as its first column (for a
// positive span), where the copy writes the pixel onto itself, so filling
// the range in one go gives the same image as copying pixel by pixel in
// increasing order. A source column outside the image has no pixels to copy;
// the range is clipped to the image.
void column_smear_render(const ColumnSmearState& s, int32_t /*now_ms*/) {
  const Image* image = s.image;
  if (image == nullptr || image->pixels == nullptr) return;
  if (s.column < 0 || s.column >= image->width) return;
  const Range r = span_range(s.column, s.span, image->width);
  if (r.begin >= r.end) return;
  for (int32_t y = 0; y < image->height; ++y) {
    uint32_t* row = image->pixels + static_cast<std::ptrdiff_t>(y) * image->width;
    std::fill(row + r.begin, row + r.end, row[s.column]);
  }
}

// Each target row becomes a copy of the source row; the copy of the source
// row onto itself (first target of a positive span) is skipped, as it
// changes nothing. Rows outside the image are clipped away, and a source row
// outside the image has nothing to copy.
void row_smear_render(const RowSmearState& s, int32_t /*now_ms*/) {
  const Image* image = s.image;
  if (image == nullptr || image->pixels == nullptr || image->width <= 0) return;
  if (s.row < 0 || s.row >= image->height) return;
  const Range r = span_range(s.row, s.span, image->height);
  const std::size_t row_bytes = static_cast<std::size_t>(image->width) * sizeof(uint32_t);
  const uint32_t* source = image->pixels + static_cast<std::ptrdiff_t>(s.row) * image->width;
  for (int64_t y = r.begin; y < r.end; ++y) {
    if (y == s.row) continue;
    std::memcpy(image->pixels + y * image->width, source, row_bytes);
  }
}
