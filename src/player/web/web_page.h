// Notices from the player to its page (index.html), each a function the
// page may define on the Module object.
#pragma once

// Script functions (defined with EM_JS), so with C linkage.
extern "C" {

// `done` of the `total` pictures are decoded.
void page_pictures_decoded(int done, int total);

// Start-up is done: the start button can be offered, naming the show.
void page_show_ready(const char* caption);

// The show has ended (the last cue, or the viewer's Escape).
void page_show_ended();

// Capture mode is done: one lowercase hex SHA-256 per frame, one per line.
void page_capture_done(const char* frame_hashes);

}  // extern "C"
