// The show's script: cue times and builders, and how overdue cues fire.
#include <gtest/gtest.h>

#include "core/runtime.h"
#include "show/cue_table.h"
#include "show/scenes.h"
#include "show/title_card_scene.h"
#include "effects/compositor.h"
#include "image/image_store.h"
#include "show_fixture.h"

namespace {

using CueTableTest = ShowFixture;

TEST_F(CueTableTest, TimesAndBuildersInScriptOrder) {
  struct Expected {
    int32_t time_ms;
    void (*start)();
  };
  const Expected expected[cue_count] = {
      {0, build_event_opening_scene},        {8000, build_presents_scene},
      {16000, build_design_scene},           {23500, build_title_card_scene},
      {32000, build_traffic_scene},          {40000, build_train_scene},
      {48000, build_keyword_photo_scene_cue6}, {52000, build_keyword_photo_scene_cue7},
      {56000, build_keyword_photo_scene_cue8}, {60000, build_keyword_photo_scene_cue9},
      {64000, build_mobile_computing_scene}, {72000, build_global_coverage_scene},
      {80000, build_keyword_photo_scene_cue12}, {84000, build_keyword_photo_scene_cue13},
      {88000, build_keyword_photo_scene_cue14}, {92000, build_keyword_photo_scene_cue15},
      {96000, build_fuel_window_scene},      {104000, build_eye_zoom_scene},
      {112000, build_stairs_scene},          {120000, build_basement_scene},
      {128000, build_elevator_scene},        {136000, build_photo_series_scene},
      {144000, build_panorama_scene},        {160000, build_credits_scene},
      {176000, build_end_screen_scene},      {184000, end_show},
  };
  for (int i = 0; i < cue_count; ++i) {
    EXPECT_EQ(cue_table[i].time_ms, expected[i].time_ms) << "cue " << i;
    EXPECT_EQ(cue_table[i].start, expected[i].start) << "cue " << i;
  }
  EXPECT_EQ(cue_table[cue_count].time_ms, 0);
  EXPECT_EQ(cue_table[cue_count].start, nullptr);
}

TEST_F(CueTableTest, CueFiresAtItsOwnTimeNotBefore) {
  run(-5);  // the clock just after re-anchoring
  EXPECT_EQ(next_cue, 0);
  run(0);
  EXPECT_EQ(next_cue, 1);
  run(23499);  // cues 1 and 2 are overdue, cue 3 is not yet
  EXPECT_EQ(next_cue, 3);
  run(23500);
  EXPECT_EQ(next_cue, 4);
}

TEST_F(CueTableTest, EndShowStopsAtTheTerminator) {
  run(183999);
  EXPECT_EQ(next_cue, 25);
  EXPECT_EQ(quit_requested, 0);
  run(184000);
  EXPECT_EQ(next_cue, 26);
  EXPECT_EQ(quit_requested, 1);
  EXPECT_EQ(display_list, nullptr);
  run(190000);  // the loop's last frame: nothing more fires
  EXPECT_EQ(next_cue, 26);
}

std::vector<int> fired;
template <int N>
void record() {
  fired.push_back(N);
}

TEST_F(CueTableTest, LateFrameFiresOverdueCuesInOrder) {
  fired.clear();
  const Cue table[] = {{0, record<0>}, {10, record<1>}, {20, record<2>}, {30, record<3>}, {0, nullptr}};
  run_with(table, 25);
  EXPECT_EQ(fired, (std::vector<int>{0, 1, 2}));
  run_with(table, 1000);
  run_with(table, 2000);
  EXPECT_EQ(fired, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(CueTableTest, LateFrameDrawsOnlyTheLastScene) {
  run(0);
  run(23500);  // cues 1, 2 and 3 fire in this frame
  EXPECT_EQ(next_cue, 4);
  ASSERT_EQ(list_length(), 4);
  EXPECT_EQ(object_at(0)->update, backdrop_blink_update);
  EXPECT_EQ(object_at(3)->update, title_word_update);
  // The title card's first frame: picture 9 copied, one title pixel.
  EXPECT_EQ(screen_pixel(10, 10), pixel(image_store[9], 10, 10));
  EXPECT_EQ(screen_pixel(189, 144), pixel(image_store[14], 0, 0));
}

}  // namespace
