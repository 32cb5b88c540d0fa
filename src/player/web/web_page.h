// Notices from the player to its page (index.html), each a function the
// page may define on the Module object.
#pragma once

// Script functions (defined with EM_JS), so with C linkage.
extern "C" {

// Picture `index` is decoded; `done` of the `total` pictures are.
void page_picture_decoded(int index, int done, int total);

// Calls sava_web_decode once the next animation frame is drawn, with the
// time left until the frame after it is due (once, however often it is
// asked before that).
void page_decode_when_idle();

// main() has set up the screen: the page may list the pictures.
void page_program_started();

// The pictures are listed: they may arrive, and the show can start once its
// sound and the pictures of its first scene are here. `caption` names it.
void page_pictures_listed(const char* caption);

// The show waits for the network (`on` not 0), or goes on, at show time
// `at_ms` (the frame it is to draw next).
void page_waiting(int on, int at_ms);

// The show moved to show time `ms` (a start, a seek, a key, a loop): the
// page fetches its files in show order from there.
void page_moved(int ms);

// The audio delay is now `ms` (the viewer's keys): the page keeps it.
void page_audio_delay_changed(int ms);

// The show has ended: reached its end (`finished` not 0: it can be played
// again, sava_web_play_again), or quit by the viewer's Escape.
void page_show_ended(int finished);

// Capture mode: the bytes of the next frame (`size` of them at `frame`),
// which the page digests with the browser's own SHA-256.
void page_capture_frame(const void* frame, int size);

// Capture mode is done: every frame has been handed out.
void page_capture_done();

}  // extern "C"
