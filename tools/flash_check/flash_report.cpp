#include "flash_report.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "show/show_time_text.h"

int64_t flash_frame_ms(const FlashVideo& video, int64_t frame) {
  return frame * 1000 * video.fps_den / video.fps_num;
}

namespace {

const char* kind_name(FlashKind kind) {
  switch (kind) {
    case FlashKind::luminance: return "luminance";
    case FlashKind::red: return "red";
    case FlashKind::extended: return "extended";
  }
  return "";
}

std::string transitions_text(int32_t transitions) {
  char text[96];
  std::snprintf(text, sizeof text, "%d transitions (%g flashes) in one second", transitions, transitions / 2.0);
  return text;
}

std::string seconds_text(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%03lld s", static_cast<long long>(ms / 1000),
                static_cast<long long>(ms % 1000));
  return text;
}

// The length of the union of the stretches, in milliseconds.
int64_t covered_ms(const FlashVideo& video, const std::vector<FlashStretch>& stretches) {
  std::vector<std::pair<int64_t, int64_t>> spans;
  for (const FlashStretch& s : stretches) {
    spans.emplace_back(flash_frame_ms(video, s.first_frame), flash_frame_ms(video, s.last_frame + 1));
  }
  std::sort(spans.begin(), spans.end());
  int64_t total = 0, end = 0;
  for (auto [a, b] : spans) {
    a = std::max(a, end);
    if (b > a) total += b - a;
    end = std::max(end, b);
  }
  return total;
}

}  // namespace

std::string flash_report(const FlashVideo& video, const FlashResult& result) {
  std::string out;
  const int32_t worst = std::max(result.worst_luminance, result.worst_red);
  for (const FlashStretch& s : result.stretches) {
    char kind[16];
    std::snprintf(kind, sizeof kind, "%-9s", kind_name(s.kind));
    out += format_show_time(flash_frame_ms(video, s.first_frame)) + " - " +
           format_show_time(flash_frame_ms(video, s.last_frame + 1)) + "  " + kind + "  ";
    if (s.kind == FlashKind::extended) {
      out += "4 or more transitions a second for " + seconds_text(flash_frame_ms(video, s.worst)) + " of 5";
    } else {
      out += transitions_text(s.worst);
    }
    out += "\n";
  }
  if (result.passes()) {
    return out + "PASS: at most " + transitions_text(worst) + ", " + std::to_string(result.frames) + " frames (" +
           format_show_time(flash_frame_ms(video, result.frames)) + ")\n";
  }
  const size_t n = result.stretches.size();
  return out + "FAIL: " + std::to_string(n) + (n == 1 ? " stretch, " : " stretches, ") +
         seconds_text(covered_ms(video, result.stretches)) + " in all; up to " + transitions_text(worst) + "\n";
}
