// The pixel layout of a display surface told by its channel masks alone.
// The web's SDL keeps the shift fields of its pixel format at 0 (its screen
// is RGBA in memory: red 0x000000FF, green 0x0000FF00, blue 0x00FF0000), so
// there the masks are the only reliable description.
#pragma once

#include <cstdint>

#include "player/screen_convert.h"

// Each channel goes where its mask's lowest set bit is and keeps as many top
// bits as the mask has; a 4-byte pixel gets every bit no colour uses set
// (the canvas behind the web surface treats them as opacity).
PixelLayout layout_from_masks(int32_t bytes_per_pixel, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask);
