#include <gtest/gtest.h>

#include <climits>

#include "core_test_support.h"

namespace core_test {
namespace {

using Log = std::vector<std::string>;

// Each cue logs its firing and builds a one-object scene whose id is the
// cue's parameter row.
void build_scene(RunState& run, const Cue&, const int& id) {
  call_log.push_back("cue" + std::to_string(id));
  run.display_list.clear();
  run.display_list.append(make_probe(id, probe_update));
}

void log_end_show(RunState& run, const Cue& cue) {
  call_log.push_back("end");
  end_show(run, cue);
}

const int ids[3] = {1, 2, 3};
const Cue test_table[] = {
    cue_with_row<int, build_scene>(0, ids[0]),   cue_with_row<int, build_scene>(100, ids[1]),
    cue_with_row<int, build_scene>(250, ids[2]),
    {300, log_end_show, nullptr}, {0, nullptr, nullptr},
};

TEST_F(CoreTest, CueAtExactlyNowFiresWithItsRowAndIsDrawnInThatFrame) {
  frame_step(run, test_table, 0);
  EXPECT_EQ(call_log, (Log{"cue1", "u1@0", "r1@0"}));
  call_log.clear();
  frame_step(run, test_table, 99);
  EXPECT_EQ(call_log, (Log{"u1@99", "r1@99"}));
  call_log.clear();
  frame_step(run, test_table, 100);
  EXPECT_EQ(call_log, (Log{"cue2", "u2@100", "r2@100"}));
  EXPECT_EQ(run.next_cue, 2);
  EXPECT_EQ(destroy_count[1], 1);
}

TEST_F(CoreTest, LateFrameFiresOverdueCuesInOrderBeforeDrawing) {
  frame_step(run, test_table, 260);
  EXPECT_EQ(call_log, (Log{"cue1", "cue2", "cue3", "u3@260", "r3@260"}));
  EXPECT_EQ(destroy_count[1], 1);
  EXPECT_EQ(destroy_count[2], 1);
  EXPECT_EQ(run.next_cue, 3);
}

TEST_F(CoreTest, NegativeShowTimeFiresNothing) {
  frame_step(run, test_table, -1);
  frame_step(run, test_table, INT32_MIN);
  EXPECT_TRUE(call_log.empty());
  EXPECT_EQ(run.next_cue, 0);

  // Once a scene runs, a clock stepping back only hands it smaller times.
  frame_step(run, test_table, 0);
  call_log.clear();
  frame_step(run, test_table, -46);
  EXPECT_EQ(call_log, (Log{"u1@-46", "r1@-46"}));
}

TEST_F(CoreTest, EndShowEmptiesTheListAndTheTerminatorIsNeverPassed) {
  frame_step(run, test_table, 300);
  EXPECT_EQ(call_log, (Log{"cue1", "cue2", "cue3", "end"}));  // the walk after end_show is empty
  EXPECT_TRUE(run.display_list.empty());
  EXPECT_TRUE(run.quit_requested);
  EXPECT_EQ(destroy_count[3], 1);
  EXPECT_EQ(run.next_cue, 4);

  call_log.clear();
  frame_step(run, test_table, INT32_MAX);
  frame_step(run, test_table, 0);
  EXPECT_TRUE(call_log.empty());
  EXPECT_EQ(run.next_cue, 4);
}

// A tick counter under the test's control.
uint32_t fake_ticks = 0;
uint32_t read_fake_ticks() { return fake_ticks; }

TEST_F(CoreTest, ShowClockRunsOnAcrossTheTickWrap) {
  ShowClock& clock = run.clock;
  clock.use_source(read_fake_ticks);
  clock.start_at(0xFFFFFFFFu - 2999u);  // 3000 ms before the counter wraps
  fake_ticks = 0xFFFFFFFFu - 2999u;
  EXPECT_EQ(clock.read(), 0);
  fake_ticks = 0xFFFFFFFFu;
  EXPECT_EQ(clock.read(), 2999);
  fake_ticks = 0;
  EXPECT_EQ(clock.read(), 3000);
  fake_ticks = 184000u - 3000u;
  EXPECT_EQ(clock.read(), 184000);

  // Re-anchored by the first sound, 46 ms ahead, just before the wrap: the
  // anchor wraps, and while the counter is still before the wrap the clock
  // reads slightly negative rather than about 2^32.
  fake_ticks = 0xFFFFFFFFu - 25u;
  ShowClock::start_in(&clock, 46, 0);
  EXPECT_EQ(clock.start_tick(), 20u);
  EXPECT_EQ(clock.read(), -46);
}

struct LoopProbe {
  RunState* run = nullptr;
  int frames = 0;
  int polls = 0;
  int quit_after_frame = -1;  // the poll hook requests the end after this frame
  std::vector<int32_t> frame_times;
};

void count_present(void* context) {
  auto* probe = static_cast<LoopProbe*>(context);
  ++probe->frames;
  probe->frame_times.push_back(probe->run->clock.read());
  fake_ticks += 120;  // each frame takes 120 ms
}

void count_poll(void* context) {
  auto* probe = static_cast<LoopProbe*>(context);
  ++probe->polls;
  if (probe->frames == probe->quit_after_frame) probe->run->quit_requested = true;
}

TEST_F(CoreTest, FrameLoopReadsTheClockOncePerFrameAndStopsAfterTheLastCuesFrame) {
  run.clock.use_source(read_fake_ticks);
  fake_ticks = 5000;
  run.clock.start_at(5000);
  LoopProbe probe;
  probe.run = &run;
  run_frame_loop(run, test_table, FrameHooks{count_present, count_poll, &probe});
  // Frames at 0, 120, 240 and 360: the last one fires cue 3 and end_show,
  // completes with an empty list (presented and polled) and the loop stops.
  EXPECT_EQ(probe.frame_times, (std::vector<int32_t>{0, 120, 240, 360}));
  EXPECT_EQ(probe.polls, 4);
  EXPECT_TRUE(run.display_list.empty());
  EXPECT_EQ(call_log.back(), "end");
}

TEST_F(CoreTest, FrameLoopTestsTheRequestBeforeTheFirstFrameAndAfterEach) {
  run.clock.use_source(read_fake_ticks);
  LoopProbe probe;
  probe.run = &run;
  run.quit_requested = true;
  run_frame_loop(run, test_table, FrameHooks{count_present, count_poll, &probe});
  EXPECT_EQ(probe.frames, 0);
  EXPECT_TRUE(call_log.empty());

  // A request made while polling ends the loop after that frame; the scene
  // stays in the list until the run state goes.
  run.quit_requested = false;
  fake_ticks = run.clock.start_tick();
  probe.quit_after_frame = 2;
  run_frame_loop(run, test_table, FrameHooks{count_present, count_poll, &probe});
  EXPECT_EQ(probe.frames, 2);
  EXPECT_EQ(probe.polls, 2);
  EXPECT_FALSE(run.display_list.empty());
}

}  // namespace
}  // namespace core_test
