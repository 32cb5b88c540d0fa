#include "core/frame.h"

void dispatch_cues(RunState& run, const Cue* table, int32_t now) {
  while (table[run.next_cue].start != nullptr && now >= table[run.next_cue].time_ms) {
    const Cue& cue = table[run.next_cue];
    cue.start(run, cue);
    ++run.next_cue;
  }
}

void walk_display_list(RunState& run, int32_t now) {
  SceneRecord* scene = run.display_list.scene();
  for (ListNode* node = run.display_list.head(); node != nullptr; node = node->next.get()) {
    if (node->object->update != nullptr) node->object->update(node->object->state, scene, now);
    if (node->object->render != nullptr) node->object->render(node->object->state, now);
  }
}

void frame_step(RunState& run, const Cue* table, int32_t now) {
  dispatch_cues(run, table, now);
  walk_display_list(run, now);
}

void run_frame_loop(RunState& run, const Cue* table, const FrameHooks& hooks) {
  while (!run.quit_requested) {
    frame_step(run, table, run.clock.read());
    hooks.present(hooks.context);
    hooks.poll_events(hooks.context);
  }
}

void end_show(RunState& run, const Cue&) {
  run.display_list.clear();
  run.quit_requested = true;
}
