#include "show/scene_pictures.h"

#include <memory>
#include <utility>

#include "core/frame.h"
#include "show/cue_table.h"
#include "show/show.h"
#include "show/transport.h"

std::vector<std::vector<int32_t>> pictures_by_scene(ImageStore& pictures, int32_t step_ms) {
  std::vector<std::vector<int32_t>> by_scene(cue_count);
  std::vector<bool> seen(static_cast<size_t>(pictures.size()));
  std::vector<std::vector<bool>> used(cue_count, std::vector<bool>(seen.size()));
  std::vector<uint32_t> screen(static_cast<size_t>(screen_width) * screen_height);
  {
    Show show(std::move(pictures), screen.data());
    show.watch_pictures(&seen);
    const int32_t end = cue_table[cue_count - 1].time_ms;
    for (int32_t now = 0; now <= end && !show.quit_requested; now += step_ms > 0 ? step_ms : 1) {
      frame_step(show, cue_table, now);
      const int32_t cue = current_cue(show.next_cue);
      for (size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] && cue >= 0) used[static_cast<size_t>(cue)][i] = true;
        seen[i] = false;
      }
    }
    pictures = show.take_pictures();
  }
  for (size_t cue = 0; cue < used.size(); ++cue) {
    for (size_t i = 0; i < used[cue].size(); ++i) {
      if (used[cue][i]) by_scene[cue].push_back(static_cast<int32_t>(i));
    }
  }
  return by_scene;
}
