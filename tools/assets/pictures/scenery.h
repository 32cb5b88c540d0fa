// Outdoor scenery shared by the photograph families: skies, distant
// skylines, lattice steel, smoke and water reflections.
#pragma once

#include "canvas.h"

namespace assets {

struct SkyLight {
  Rgb zenith, horizon, sun;
  float sun_x, sun_y;  // in pixels
  float clouds;        // 0 clear .. 1 overcast
  Rgb cloud_lit, cloud_dark;
};

// Four moods for outdoor photographs: dusk, overcast, night, hazy morning.
SkyLight sky_light(int mood, int width, int height, float horizon);
void paint_sky(Canvas& c, const SkyLight& sky, float horizon, uint32_t seed);
// Colour of the air at a height, for aerial perspective.
Rgb air_colour(const SkyLight& sky, float y, float horizon);

// Rows of boxy buildings from base_y up, with a few lit windows.
void skyline(Canvas& c, float x0, float x1, float base_y, float min_h, float max_h, Rgb body,
             float lit, uint32_t seed);
// A steel truss between two points: chords and diagonal bracing.
void truss(Canvas& c, Pt a, Pt b, float depth, float thickness, Rgb colour);
// A drifting plume of smoke or steam from (x, y).
void plume(Canvas& c, float x, float y, float length, float spread, float wind, Rgb colour,
           float opacity, uint32_t seed);
// Mirrors the picture above water_y into the rows below, rippled and darkened.
void water_reflection(Canvas& c, float water_y, Rgb tint, uint32_t seed);

}  // namespace assets
