#include "player/time_overlay.h"

#include <algorithm>

#include "image/small_font.h"
#include "show/cue_table.h"

namespace {

constexpr int32_t advance = small_font_advance;
constexpr int32_t line_height = small_font_height + 2;
constexpr int32_t margin = 4;   // from the screen's edges
constexpr int32_t padding = 3;  // inside the box

}  // namespace

std::vector<std::string> overlay_lines(int32_t now, int32_t cue, const char* scene, bool paused, bool looping,
                                       int32_t audio_delay_ms) {
  std::string first = format_show_time(now) + "  cue " + (cue >= 0 ? std::to_string(cue) : std::string("-"));
  if (paused) first += "  paused";
  if (looping) first += "  loop";
  std::vector<std::string> lines{first};
  if (scene != nullptr) lines.emplace_back(scene);
  if (audio_delay_ms != 0) lines.push_back(audio_delay_text(audio_delay_ms));
  return lines;
}

std::string audio_delay_text(int32_t ms) {
  return "audio delay " + std::string(ms > 0 ? "+" : "") + std::to_string(ms) + " ms";
}

std::vector<std::string> overlay_lines_for(const SessionView& view) {
  const char* scene = view.cue >= 0 && view.cue < cue_count ? cue_names[view.cue] : nullptr;
  std::vector<std::string> lines =
      overlay_lines(view.time_ms, view.cue, scene, view.paused, view.looping, view.audio_delay_ms);
  if (view.hold != nullptr) lines.emplace_back(view.hold);
  return lines;
}

OverlayBox overlay_box(const std::vector<std::string>& lines, int32_t screen_width, int32_t screen_height) {
  size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  OverlayBox box{margin, margin, 0, 0};
  if (lines.empty()) return box;
  const int64_t width = static_cast<int64_t>(longest) * advance - 1 + 2 * padding;
  const int64_t height = static_cast<int64_t>(lines.size()) * line_height - 2 + 2 * padding;
  box.width = static_cast<int32_t>(std::clamp<int64_t>(width, 0, std::max(0, screen_width - margin)));
  box.height = static_cast<int32_t>(std::clamp<int64_t>(height, 0, std::max(0, screen_height - margin)));
  return box;
}

void draw_overlay(const std::vector<std::string>& lines, uint32_t* pixels, const OverlayBox& box) {
  const size_t count = static_cast<size_t>(box.width) * static_cast<size_t>(box.height);
  for (size_t i = 0; i < count; ++i) pixels[i] = (pixels[i] & 0xFF000000u) | ((pixels[i] >> 2) & 0x003F3F3Fu);
  for (size_t row = 0; row < lines.size(); ++row) {
    const int32_t top = padding + static_cast<int32_t>(row) * line_height;
    draw_small_text(pixels, box.width, box.height, padding, top, lines[row], 1, 0xFFFFFFFFu);
  }
}
