#include "core/frame.h"

#include "core/runtime.h"
#include "core/sound_clock.h"
#include "core/tick.h"

void dispatch_cues(const Cue* table, int32_t now) {
  while (table[next_cue].start != nullptr && now >= table[next_cue].time_ms) {
    table[next_cue].start();
    ++next_cue;
  }
}

void walk_display_list(int32_t now) {
  for (ListNode* node = display_list; node != nullptr; node = node->next) {
    if (node->object->update != nullptr) node->object->update(node->object->state, now);
    if (node->object->render != nullptr) node->object->render(node->object->state, now);
  }
}

void frame_step(const Cue* table, int32_t now) {
  now_ms = now;
  dispatch_cues(table, now);
  walk_display_list(now);
}

int32_t read_show_clock() { return show_clock_at(get_tick_count()); }

void run_frame_loop(const Cue* table, const FrameHooks& hooks) {
  while (quit_requested == 0) {
    frame_step(table, read_show_clock());
    hooks.present(hooks.context);
    hooks.poll_events(hooks.context);
  }
}

void clear_display_list() {
  if (display_list != nullptr) list_free(display_list);
  display_list = nullptr;
}

void end_show() {
  clear_display_list();
  quit_requested = 1;
}
