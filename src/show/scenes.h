// The scene builders the cue table names. Each empties the display list and
// builds its scene's effect objects.
#pragma once

void build_event_opening_scene();
void build_presents_scene();
void build_design_scene();
void build_title_card_scene();
void build_traffic_scene();
void build_train_scene();
// The eight keyword photo cues, each the one template with its own row.
void build_keyword_photo_scene_cue6();
void build_keyword_photo_scene_cue7();
void build_keyword_photo_scene_cue8();
void build_keyword_photo_scene_cue9();
void build_keyword_photo_scene_cue12();
void build_keyword_photo_scene_cue13();
void build_keyword_photo_scene_cue14();
void build_keyword_photo_scene_cue15();
void build_mobile_computing_scene();
void build_global_coverage_scene();
void build_fuel_window_scene();
void build_eye_zoom_scene();
void build_stairs_scene();
void build_basement_scene();
void build_elevator_scene();
void build_photo_series_scene();
void build_panorama_scene();
void build_credits_scene();
void build_end_screen_scene();
