// The show's pictures in the web player: the page lists their sizes
// (sava_web_picture_size, sava_web_listed), the store is made from them a
// slice per animation frame, blank pictures at the listed sizes, and each
// file the page writes into data/ (sava_web_picture_arrived) is decoded in
// the page's idle time (sava_web_decode), each one told to the page.
#pragma once

// A slice of the store's making; once all is made, the store is checked
// against what the scenes need of the pictures' sizes (each decoded picture
// is held to its listed size), the player holds the pictures and they may
// arrive (the phase is then loading).
void make_store();
