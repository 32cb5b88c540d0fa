// Scenes not built yet: each only empties the display list, so the script
// keeps its shape. A scene removes its line here when its own unit lands.
#include "show/scene_kit.h"
#include "show/scenes.h"

