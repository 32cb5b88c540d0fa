#include "contact_sheet.h"

#include <cstdio>

#include "image/small_font.h"
#include "png_write.h"
#include "show/show_time_text.h"

namespace {

constexpr int32_t screen_w = 400, screen_h = 300;
constexpr int32_t thumb_w = screen_w / 2, thumb_h = screen_h / 2;
constexpr int32_t columns = 5;
constexpr int32_t gap = 8;
constexpr int32_t label_h = 20;
constexpr uint32_t background = 0xFF202020u;
constexpr uint32_t ink = 0xFFE8E8E8u;

// Each thumbnail pixel averages a 2x2 block of the screen, channel by channel.
std::vector<uint32_t> half_size(const uint32_t* screen) {
  std::vector<uint32_t> out(static_cast<size_t>(thumb_w) * thumb_h);
  for (int32_t y = 0; y < thumb_h; ++y) {
    for (int32_t x = 0; x < thumb_w; ++x) {
      const uint32_t* p = screen + static_cast<size_t>(2 * y) * screen_w + 2 * x;
      const uint32_t q[4] = {p[0], p[1], p[screen_w], p[screen_w + 1]};
      uint32_t word = 0xFF000000u;
      for (int shift = 0; shift < 24; shift += 8) {
        uint32_t sum = 0;
        for (uint32_t v : q) sum += (v >> shift) & 0xFF;
        word |= (sum / 4) << shift;
      }
      out[static_cast<size_t>(y) * thumb_w + x] = word;
    }
  }
  return out;
}

}  // namespace

ContactSheet::ContactSheet(std::vector<int32_t> cue_times)
    : cue_times_(std::move(cue_times)), cells_(cue_times_.size()) {}

std::string ContactSheet::label(int64_t ms) { return format_show_time(ms); }

void ContactSheet::offer(int64_t now_ms, const uint32_t* screen) {
  for (size_t i = 0; i < cue_times_.size(); ++i) {
    const int64_t end = i + 1 < cue_times_.size() ? cue_times_[i + 1] : INT64_MAX;
    if (!cells_[i].taken && now_ms >= cue_times_[i] + 1000 && now_ms < end) {
      cells_[i] = {true, now_ms, half_size(screen)};
    }
  }
}

Result<void> ContactSheet::write(std::FILE* file, const std::string& name) const {
  const int32_t count = static_cast<int32_t>(cells_.size());
  const int32_t rows = (count + columns - 1) / columns;
  const int32_t cell_w = thumb_w + gap, cell_h = thumb_h + label_h + gap;
  const int32_t sheet_w = columns * cell_w + gap, sheet_h = rows * cell_h + gap;
  std::vector<uint32_t> sheet(static_cast<size_t>(sheet_w) * sheet_h, background);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t x0 = gap + (i % columns) * cell_w, y0 = gap + (i / columns) * cell_h;
    const Cell& cell = cells_[static_cast<size_t>(i)];
    if (!cell.taken) continue;  // outside the captured range: left empty
    for (int32_t y = 0; y < thumb_h; ++y) {
      for (int32_t x = 0; x < thumb_w; ++x) {
        sheet[static_cast<size_t>(y0 + y) * sheet_w + x0 + x] = cell.pixels[static_cast<size_t>(y) * thumb_w + x];
      }
    }
    // Each font pixel a 2x2 block.
    draw_small_text(sheet.data(), sheet_w, sheet_h, x0 + 2, y0 + thumb_h + 4, label(cell.time_ms), 2, ink);
  }
  const Result<void> written = png_write_pixels(file, sheet.data(), sheet_w, sheet_h, false, 9);
  if (!written) return Failure{name + ": " + written.error()};
  return {};
}
