// The time overlay: the show time, the cue and its scene written in a small
// bitmap font on a darkened box in the top-left corner of the presented
// picture. Pure drawing on 0xAARRGGBB words; the presenter puts it on the
// screen over a finished frame, never into the frame the show draws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "show/session.h"
#include "show/show_time_text.h"

// The overlay's text for a frame at `now` showing cue `cue` (-1: none yet)
// of scene `scene` (or null), with the player's state.
// A non-zero audio delay adds a line telling it.
std::vector<std::string> overlay_lines(int32_t now, int32_t cue, const char* scene, bool paused, bool looping,
                                       int32_t audio_delay_ms = 0);
// The same for a presented frame of a session (the cue's scene named by the
// cue table).
std::vector<std::string> overlay_lines_for(const SessionView& view);

// "audio delay +150 ms" (no sign for 0 and below).
std::string audio_delay_text(int32_t ms);

struct OverlayBox {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// Where the overlay of `lines` goes on a screen_width x screen_height screen
// (clipped to it).
OverlayBox overlay_box(const std::vector<std::string>& lines, int32_t screen_width, int32_t screen_height);

// Draws the overlay into `pixels`, the box's own words (box.width per row)
// holding the picture under it: the picture is darkened to a quarter and the
// text written over it in white. Letters are drawn as capitals; a character
// the font lacks is left blank.
void draw_overlay(const std::vector<std::string>& lines, uint32_t* pixels, const OverlayBox& box);
