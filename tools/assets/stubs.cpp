#include "families.h"
namespace assets {
#define STUB(name) Canvas name(const Spec& s) { Canvas c(s.width, s.height, rgb(0x406080)); return c; }
STUB(make_traffic) STUB(make_train_photo) STUB(make_train_cutout) STUB(make_fuel)
STUB(make_laptop) STUB(make_motherboard) STUB(make_phone) STUB(make_phonebox) STUB(make_mixer) STUB(make_equipment)
STUB(make_stairs) STUB(make_basement) STUB(make_elevator)
STUB(make_eye) STUB(make_water) STUB(make_panorama) STUB(make_beer) STUB(make_series) STUB(make_stage)
STUB(make_coverage) STUB(make_binary) STUB(make_design_overlay) STUB(make_design_print) STUB(make_symbol) STUB(make_end_screen)
STUB(make_thumbnail)
}
