#include <gtest/gtest.h>

#include <climits>

#include "core_test_support.h"

namespace core_test {
namespace {

using Log = std::vector<std::string>;

// Each cue logs its firing and builds a one-object scene with its own id.
template <int Id>
void build_scene() {
  std::string name = "cue";
  name += std::to_string(Id);
  call_log.push_back(name);
  clear_display_list();
  display_list = list_prepend(make_probe(Id, probe_update), nullptr);
}

void log_end_show() {
  call_log.push_back("end");
  end_show();
}

const Cue test_table[] = {
    {0, build_scene<1>},
    {100, build_scene<2>},
    {250, build_scene<3>},
    {300, log_end_show},
    {0, nullptr},
};

TEST_F(CoreTest, CueAtExactlyNowFiresAndIsDrawnInThatFrame) {
  frame_step(test_table, 0);
  EXPECT_EQ(call_log, (Log{"cue1", "u1@0", "r1@0"}));
  call_log.clear();
  frame_step(test_table, 99);
  EXPECT_EQ(call_log, (Log{"u1@99", "r1@99"}));
  call_log.clear();
  frame_step(test_table, 100);
  EXPECT_EQ(call_log, (Log{"cue2", "u2@100", "r2@100"}));
  EXPECT_EQ(next_cue, 2);
  EXPECT_EQ(now_ms, 100);
  EXPECT_EQ(destroy_count[1], 1);
}

TEST_F(CoreTest, LateFrameFiresOverdueCuesInOrderBeforeDrawing) {
  frame_step(test_table, 260);
  EXPECT_EQ(call_log, (Log{"cue1", "cue2", "cue3", "u3@260", "r3@260"}));
  EXPECT_EQ(destroy_count[1], 1);
  EXPECT_EQ(destroy_count[2], 1);
  EXPECT_EQ(next_cue, 3);
}

TEST_F(CoreTest, NegativeShowTimeFiresNothing) {
  frame_step(test_table, -1);
  frame_step(test_table, INT32_MIN);
  EXPECT_TRUE(call_log.empty());
  EXPECT_EQ(next_cue, 0);
  EXPECT_EQ(now_ms, INT32_MIN);

  // Once a scene runs, a clock stepping back only hands it smaller times.
  frame_step(test_table, 0);
  call_log.clear();
  frame_step(test_table, -46);
  EXPECT_EQ(call_log, (Log{"u1@-46", "r1@-46"}));
}

TEST_F(CoreTest, EndShowEmptiesTheListAndTheTerminatorIsNeverPassed) {
  frame_step(test_table, 300);
  EXPECT_EQ(call_log, (Log{"cue1", "cue2", "cue3", "end"}));  // the walk after end_show is empty
  EXPECT_EQ(display_list, nullptr);
  EXPECT_EQ(quit_requested, 1);
  EXPECT_EQ(destroy_count[3], 1);
  EXPECT_EQ(next_cue, 4);

  call_log.clear();
  frame_step(test_table, INT32_MAX);
  frame_step(test_table, 0);
  EXPECT_TRUE(call_log.empty());
  EXPECT_EQ(next_cue, 4);

  // end_show with an empty list only requests the end.
  quit_requested = 0;
  end_show();
  EXPECT_EQ(quit_requested, 1);
  EXPECT_EQ(display_list, nullptr);
}

// A tick counter under the test's control.
uint32_t fake_ticks = 0;
uint32_t read_fake_ticks() { return fake_ticks; }

TEST_F(CoreTest, ShowClockRunsOnAcrossTheTickWrap) {
  tick_source = read_fake_ticks;
  start_tick.store(0xFFFFFFFFu - 2999u);  // 3000 ms before the counter wraps
  fake_ticks = 0xFFFFFFFFu - 2999u;
  EXPECT_EQ(read_show_clock(), 0);
  fake_ticks = 0xFFFFFFFFu;
  EXPECT_EQ(read_show_clock(), 2999);
  fake_ticks = 0;
  EXPECT_EQ(read_show_clock(), 3000);
  fake_ticks = 184000u - 3000u;
  EXPECT_EQ(read_show_clock(), 184000);

  // Re-anchored just after the wrap while the counter is still before it:
  // the clock reads slightly negative rather than about 2^32.
  start_tick.store(20u);
  fake_ticks = 0xFFFFFFFFu - 25u;
  EXPECT_EQ(read_show_clock(), -46);
}

struct LoopProbe {
  int frames = 0;
  int polls = 0;
  int quit_after_frame = -1;  // the poll hook requests the end after this frame
  std::vector<int32_t> frame_times;
};

void count_present(void* context) {
  auto* probe = static_cast<LoopProbe*>(context);
  ++probe->frames;
  probe->frame_times.push_back(now_ms);
  fake_ticks += 120;  // each frame takes 120 ms
}

void count_poll(void* context) {
  auto* probe = static_cast<LoopProbe*>(context);
  ++probe->polls;
  if (probe->frames == probe->quit_after_frame) quit_requested = 1;
}

TEST_F(CoreTest, FrameLoopReadsTheClockOncePerFrameAndStopsAfterTheLastCuesFrame) {
  tick_source = read_fake_ticks;
  fake_ticks = 5000;
  start_tick.store(5000);
  LoopProbe probe;
  run_frame_loop(test_table, FrameHooks{count_present, count_poll, &probe});
  // Frames at 0, 120, 240 and 360: the last one fires cue 3 and end_show,
  // completes with an empty list (presented and polled) and the loop stops.
  EXPECT_EQ(probe.frame_times, (std::vector<int32_t>{0, 120, 240, 360}));
  EXPECT_EQ(probe.polls, 4);
  EXPECT_EQ(display_list, nullptr);
  EXPECT_EQ(call_log.back(), "end");
}

TEST_F(CoreTest, FrameLoopTestsTheRequestBeforeTheFirstFrameAndAfterEach) {
  tick_source = read_fake_ticks;
  LoopProbe probe;
  quit_requested = 1;
  run_frame_loop(test_table, FrameHooks{count_present, count_poll, &probe});
  EXPECT_EQ(probe.frames, 0);
  EXPECT_TRUE(call_log.empty());

  // A request made while polling ends the loop after that frame; the scene
  // stays in the list for the shutdown to free.
  quit_requested = 0;
  fake_ticks = start_tick.load();
  probe.quit_after_frame = 2;
  run_frame_loop(test_table, FrameHooks{count_present, count_poll, &probe});
  EXPECT_EQ(probe.frames, 2);
  EXPECT_EQ(probe.polls, 2);
  EXPECT_NE(display_list, nullptr);
}

}  // namespace
}  // namespace core_test
