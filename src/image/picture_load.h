// Decoding of one picture file (PNG or JPEG, told apart by content) into a
// new Image of the show's pixel format 0xAARRGGBB.
#pragma once

#include <cstdint>

#include "image/image.h"

// Largest picture accepted: 16384 pixels a side and 64 Mi (2^26) pixels in
// all, that is at most 256 MiB of pixel words. Checked on the file's header,
// before anything of the picture's size is allocated.
inline constexpr uint32_t picture_max_side = 16384;
inline constexpr uint64_t picture_max_pixels = uint64_t{1} << 26;

// Returns a new Image owned by the caller, or null when the file cannot be
// opened, is neither a PNG nor a JPEG the decoders can read, is corrupt or
// truncated, or exceeds the size limits. Never ends the process.
//
// Files starting with the 8-byte PNG signature are read as PNG, all others
// as JPEG. Every decoded pixel is 0xAARRGGBB: alpha 255 where the file has no
// transparency, colour bytes kept (not premultiplied) where it has.
Image* picture_load(const char* path);

// Reads only the file's header: the size decoding would give the picture.
// Returns false (reason recorded as for picture_load) if the header cannot
// be read. Never ends the process.
bool picture_read_size(const char* path, uint32_t* width, uint32_t* height);

// Stop requests during loading: when set, decoding calls it now and then (at
// least once per row or scan) and the image store before every picture; once
// it returns true the decoding in progress is abandoned (reason "stopped")
// and the store gives up. It must be cheap to call often.
extern bool (*picture_stop_requested)();

// Stop requests for decodes on the calling thread only: while `stop` is set
// they ask stop(context) instead of picture_stop_requested (which is then
// never called from this thread). Null goes back to picture_stop_requested.
void picture_stop_on_this_thread(bool (*stop)(void*), void* context);

// Why the last picture_load on this thread returned null (a library's
// message, or the operating system's reason for an unreadable file); empty
// after a success. The text lives until the thread's next picture_load.
const char* picture_load_error();

// True when the last picture_load on this thread returned null because the file could not
// be read at all (missing, not a regular file, no permission, a read error
// at its start); false when a decoder read it and refused its content, and
// false after a success.
bool picture_load_unreadable();
