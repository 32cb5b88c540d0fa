// What the scenes need of the pictures' sizes, and nothing more.
//
// A scene either draws a picture at the picture's own size (words, captions,
// thumbnails, the title, most single photographs) or reads it through a
// rectangle fixed by the scene: a 400x300 view, a view that pans up to some
// column, the size of another picture, a strip loop's rows. Only the second
// kind needs anything of a picture: the rectangle must lie inside it. Blurs
// also read their source as rows of the screen's width, so a blurred picture
// must be exactly that wide. Everything else is accepted: larger words are
// clipped at the screen's edges, photographs of other sizes take the scaled
// path, a larger title covers more of the frozen background.
//
// None of these needs guards memory. The effects keep every read and write
// inside its images whatever the sizes (the Compositor clips the source and
// the destination rectangles, masks, fills and smears clip to their image,
// a blur leaves its destination alone when the source holds fewer pixels
// than it reads), so a picture that misses a need would be drawn wrongly,
// not unsafely; the start-up check refuses it because the show cannot be
// played as made then.
#pragma once

#include <cstdint>
#include <span>

#include "image/image.h"

// Store indices first..last (picture names, show_files.h).
struct PictureRange {
  int32_t first;
  int32_t last;
};

struct PictureNeed {
  std::span<const PictureRange> pictures;
  // The least width and height; 1 where the need says nothing about a side.
  int32_t width;
  int32_t height;
  // A store index whose picture's size is the least size instead, or -1.
  int32_t reference;
  // The width must be exactly `width` (blurred pictures).
  bool exact_width;
  // What reads the picture so, for the message of a refusal.
  const char* reason;
};

// Every need, in the order the check tries them; a picture may be covered
// by several, and a refusal names the first it misses.
std::span<const PictureNeed> picture_needs();

bool need_covers(const PictureNeed& need, int32_t index);

// Whether a picture of width x height meets `need`; `reference` is the
// picture `need.reference` names (unused for a need without one).
bool need_met(const PictureNeed& need, int32_t width, int32_t height, const Image* reference);

struct NeededSize {
  int32_t width;
  int32_t height;
};

// The smallest size that meets every need of picture `index` (0..223) when
// every picture it is compared with has its own smallest size; 1x1 for a
// picture that nothing reads through a fixed rectangle.
NeededSize least_needed_size(int32_t index);
