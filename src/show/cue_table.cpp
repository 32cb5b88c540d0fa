#include "show/cue_table.h"

#include "show/scenes/blurred_sequence_scene.h"
#include "show/scenes/credits_scene.h"
#include "show/scenes/design_scene.h"
#include "show/scenes/end_screen_scene.h"
#include "show/scenes/event_opening_scene.h"
#include "show/scenes/eye_zoom_scene.h"
#include "show/scenes/fuel_window_scene.h"
#include "show/scenes/global_coverage_scene.h"
#include "show/scenes/keyword_photo_scene.h"
#include "show/scenes/mobile_computing_scene.h"
#include "show/scenes/panorama_scene.h"
#include "show/scenes/presents_scene.h"
#include "show/show_length.h"
#include "show/scenes/title_card_scene.h"
#include "show/scenes/traffic_scene.h"
#include "show/scenes/train_scene.h"

const Cue cue_table[cue_count + 1] = {
    scene_cue<build_event_opening_scene>(0),
    scene_cue<build_presents_scene>(8000),
    scene_cue<build_design_scene>(16000),
    scene_cue<build_title_card_scene>(23500),
    scene_cue<build_traffic_scene>(32000),
    scene_cue<build_train_scene>(40000),
    scene_cue<build_keyword_photo_scene>(48000, keyword_photo_rows[0]),
    scene_cue<build_keyword_photo_scene>(52000, keyword_photo_rows[1]),
    scene_cue<build_keyword_photo_scene>(56000, keyword_photo_rows[2]),
    scene_cue<build_keyword_photo_scene>(60000, keyword_photo_rows[3]),
    scene_cue<build_mobile_computing_scene>(64000),
    scene_cue<build_global_coverage_scene>(72000),
    scene_cue<build_keyword_photo_scene>(80000, keyword_photo_rows[4]),
    scene_cue<build_keyword_photo_scene>(84000, keyword_photo_rows[5]),
    scene_cue<build_keyword_photo_scene>(88000, keyword_photo_rows[6]),
    scene_cue<build_keyword_photo_scene>(92000, keyword_photo_rows[7]),
    scene_cue<build_fuel_window_scene>(96000),
    scene_cue<build_eye_zoom_scene>(104000),
    scene_cue<build_blurred_sequence_scene>(112000, stairs_sequence),
    scene_cue<build_blurred_sequence_scene>(120000, basement_sequence),
    scene_cue<build_blurred_sequence_scene>(128000, elevator_sequence),
    scene_cue<build_blurred_sequence_scene>(136000, photo_series_sequence),
    scene_cue<build_panorama_scene>(144000),
    scene_cue<build_credits_scene>(160000),
    scene_cue<build_end_screen_scene>(176000),
    {show_length_ms, end_show, nullptr},
    {0, nullptr, nullptr},
};

const char* const cue_names[cue_count] = {
    "event opening",
    "presents",
    "design",
    "title card",
    "traffic",
    "train",
    "keyword photo: factory, energy",
    "keyword photo: crane, machinery",
    "keyword photo: factory, electricity",
    "keyword photo: traffic, technology",
    "mobile computing",
    "global coverage",
    "keyword photo: factory, energy",
    "keyword photo: crane, machinery",
    "keyword photo: power station, electricity",
    "keyword photo: traffic, technology",
    "fuel window",
    "eye zoom",
    "stairs",
    "basement",
    "elevator",
    "photo series",
    "panorama",
    "credits",
    "end screen",
    "end",
};
