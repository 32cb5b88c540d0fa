// Scenes not built yet: each only empties the display list, so the script
// keeps its shape. A scene removes its line here when its own unit lands.
#include "show/scene_kit.h"
#include "show/scenes.h"

void build_event_opening_scene() { begin_scene(); }
void build_presents_scene() { begin_scene(); }
void build_design_scene() { begin_scene(); }
void build_title_card_scene() { begin_scene(); }
void build_traffic_scene() { begin_scene(); }
void build_train_scene() { begin_scene(); }
void build_keyword_photo_scene_cue6() { begin_scene(); }
void build_keyword_photo_scene_cue7() { begin_scene(); }
void build_keyword_photo_scene_cue8() { begin_scene(); }
void build_keyword_photo_scene_cue9() { begin_scene(); }
void build_keyword_photo_scene_cue12() { begin_scene(); }
void build_keyword_photo_scene_cue13() { begin_scene(); }
void build_keyword_photo_scene_cue14() { begin_scene(); }
void build_keyword_photo_scene_cue15() { begin_scene(); }
