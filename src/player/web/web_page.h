// Notices from the player to its page (index.html), each a function the
// page may define on the Module object.
#pragma once

// Script functions (defined with EM_JS), so with C linkage.
extern "C" {

// Picture `index` is decoded; `done` of the `total` pictures are.
void page_picture_decoded(int index, int done, int total);

// main() has set up the screen: the page may list the pictures.
void page_program_started();

// The pictures are listed: they may arrive, and the show can start once its
// sound and the pictures of its first scene are here. `caption` names it.
void page_pictures_listed(const char* caption);

// The show waits for the network (`on` not 0), or goes on, at show time
// `at_ms` (the frame it is to draw next).
void page_waiting(int on, int at_ms);

// The audio delay is now `ms` (the viewer's keys): the page keeps it.
void page_audio_delay_changed(int ms);

// The show has ended (the last cue, or the viewer's Escape).
void page_show_ended();

// Capture mode is done: one lowercase hex SHA-256 per frame, one per line.
void page_capture_done(const char* frame_hashes);

}  // extern "C"
