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
  EXPECT_EQ(clock.read(), -46);
  EXPECT_EQ(clock.start_tick(), 20u);
}

}  // namespace
}  // namespace core_test
