#include "show/cue_table.h"

#include "show/scenes.h"

const Cue cue_table[cue_count + 1] = {
    {0, build_event_opening_scene},
    {8000, build_presents_scene},
    {16000, build_design_scene},
    {23500, build_title_card_scene},
    {32000, build_traffic_scene},
    {40000, build_train_scene},
    {48000, build_keyword_photo_scene_cue6},
    {52000, build_keyword_photo_scene_cue7},
    {56000, build_keyword_photo_scene_cue8},
    {60000, build_keyword_photo_scene_cue9},
    {64000, build_mobile_computing_scene},
    {72000, build_global_coverage_scene},
    {80000, build_keyword_photo_scene_cue12},
    {84000, build_keyword_photo_scene_cue13},
    {88000, build_keyword_photo_scene_cue14},
    {92000, build_keyword_photo_scene_cue15},
    {96000, build_fuel_window_scene},
    {104000, build_eye_zoom_scene},
    {112000, build_stairs_scene},
    {120000, build_basement_scene},
    {128000, build_elevator_scene},
    {136000, build_photo_series_scene},
    {144000, build_panorama_scene},
    {160000, build_credits_scene},
    {176000, build_end_screen_scene},
    {184000, end_show},
    {0, nullptr},
};
