#include "families.h"
namespace assets {
#define STUB(name) Canvas name(const Spec& s) { Canvas c(s.width, s.height, rgb(0x406080)); return c; }



STUB(make_eye) STUB(make_water) STUB(make_panorama) STUB(make_beer) STUB(make_series) STUB(make_stage)
STUB(make_coverage) STUB(make_binary) STUB(make_design_overlay) STUB(make_design_print) STUB(make_symbol) STUB(make_end_screen)
STUB(make_thumbnail)
}
