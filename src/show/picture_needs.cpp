#include "show/picture_needs.h"

#include <algorithm>

namespace {

// Every row is a need the scenes state by the rectangles they read: each
// rectangle must lie inside its picture, and a blur reads rows of the width
// it writes. None is a memory need: a picture that misses one is still read
// and written only inside its pixels (see picture_needs.h), just not drawn
// as the scene intends.

// The presents scene pans a 400x300 view from column 139 to column 4.
constexpr PictureRange shipyard[] = {{4, 4}};
// The design scene's view (and its faint copy) drifts up to column 79.
constexpr PictureRange design_factory[] = {{8, 8}};
// The title card copies a 400x300 rectangle of its backdrop.
constexpr PictureRange title_backdrop[] = {{9, 9}};
// The eye zoom's slide show reads a 400x300 rectangle of sixteen earlier
// photographs.
constexpr PictureRange slide_show[] = {{4, 4},   {8, 8},   {15, 15}, {31, 31}, {40, 40}, {45, 45},
                                       {50, 50}, {55, 55}, {68, 68}, {76, 76}, {81, 81}, {84, 84},
                                       {88, 88}, {92, 92}, {96, 96}, {100, 100}};
// The traffic scene reads all eight photographs through image 15's size.
constexpr PictureRange later_traffic[] = {{16, 22}};
// Keyword photo scenes read a 400x300 view at the left end and, from 2 s on,
// at the right end (column width - 400).
constexpr PictureRange keyword_photos[] = {{40, 40}, {45, 45}, {50, 50}, {55, 55},
                                           {84, 84}, {88, 88}, {92, 92}, {96, 96}};
// Keyword photo scenes with a 100-column label read that many columns of it.
constexpr PictureRange labels[] = {{29, 30}};
// The laptop cross-fade reads all sixteen laptops through image 60's size.
constexpr PictureRange later_laptops[] = {{61, 75}};
// The strip loops read rows 0 to 11 r - 1 for r up to 5 (mobile computing)
// and up to 6 (fuel window), and the head piece H - 11 r - 11 rows.
constexpr PictureRange strip[] = {{113, 113}};
// Blurs read their source as 300 rows of 400 pixels (the size of the image
// they write): a wider picture would be drawn sheared, a narrower one too or,
// holding fewer than 400x300 pixels, not at all. Stairs 14 and 15 (134, 135)
// and basements 14 and 15 (153, 154) are in no sequence table, so nothing
// reads them.
constexpr PictureRange blurred[] = {{83, 83},   {100, 108}, {121, 133}, {140, 152},
                                    {155, 163}, {164, 171}, {192, 195}};
// The fuel window shows columns up to 399 and rows up to 299 of image 107; as
// a blurred picture it meets that already.
// The eye zoom's design flicker reads the later prints through image 211's size.
constexpr PictureRange later_prints[] = {{212, 214}};
// The mixer and equipment pictures are read through the first one's size.
constexpr PictureRange later_mixers[] = {{217, 219}};
constexpr PictureRange later_equipment[] = {{221, 222}};
// The panorama scroll reads columns up to 759 + 399.
constexpr PictureRange panorama[] = {{172, 172}};
// The water frames are added through a 400x300 rectangle.
constexpr PictureRange water[] = {{186, 189}};
// Each panorama thumbnail slot draws its later pictures at its first one's size.
constexpr PictureRange first_slot[] = {{176, 176}, {179, 179}, {182, 182}};
constexpr PictureRange second_slot[] = {{177, 177}, {180, 180}, {183, 183}};
constexpr PictureRange third_slot[] = {{178, 178}, {181, 181}, {184, 184}};

constexpr PictureNeed at_least(std::span<const PictureRange> pictures, int32_t width, int32_t height,
                               const char* reason) {
  return {pictures, width, height, -1, false, reason};
}
constexpr PictureNeed as_large_as(std::span<const PictureRange> pictures, int32_t reference, const char* reason) {
  return {pictures, 1, 1, reference, false, reason};
}

constexpr PictureNeed needs[] = {
    at_least(shipyard, 539, 300, "a 400x300 view pans across it up to column 139"),
    at_least(design_factory, 479, 300, "a 400x300 view drifts across it up to column 79"),
    at_least(title_backdrop, 400, 300, "the title card copies 400x300 of it"),
    as_large_as(later_traffic, 15, "the traffic scene reads every photograph through the first one's size"),
    at_least(keyword_photos, 400, 300, "a 400x300 view is read at its left and at its right end"),
    at_least(slide_show, 400, 300, "the eye zoom's slide show reads 400x300 of it"),
    at_least(labels, 100, 1, "keyword photo scenes show its leftmost 100 columns"),
    as_large_as(later_laptops, 60, "the laptop cross-fade reads every laptop through the first one's size"),
    at_least(strip, 1, 66, "the strip loops read up to 66 rows from its top"),
    {blurred, 400, 300, -1, true,
     "blurred as 300 rows of 400 pixels; a picture of another width would be drawn sheared"},
    as_large_as(later_prints, 211, "the design flicker reads every print through the first one's size"),
    as_large_as(later_mixers, 216, "the mixer cycle reads every mixer through the first one's size"),
    as_large_as(later_equipment, 220, "the equipment switch reads every picture through the first one's size"),
    at_least(panorama, 1159, 300, "a 400x300 view scrolls across it up to column 759"),
    at_least(water, 400, 300, "the water frames are added through 400x300"),
    as_large_as(first_slot, 173, "a thumbnail slot draws its pictures at its first one's size"),
    as_large_as(second_slot, 174, "a thumbnail slot draws its pictures at its first one's size"),
    as_large_as(third_slot, 175, "a thumbnail slot draws its pictures at its first one's size"),
};

// A reference names an earlier picture that itself refers to none, so
// sizes resolve in one step and store order reports the reference first.
constexpr bool references_resolve() {
  for (const PictureNeed& need : needs) {
    if (need.reference < 0) continue;
    for (const PictureRange& range : need.pictures) {
      if (range.first <= need.reference) return false;
    }
    for (const PictureNeed& other : needs) {
      for (const PictureRange& range : other.pictures) {
        if (other.reference >= 0 && range.first <= need.reference && need.reference <= range.last) return false;
      }
    }
  }
  return true;
}
static_assert(references_resolve());

}  // namespace

std::span<const PictureNeed> picture_needs() { return needs; }

bool need_covers(const PictureNeed& need, int32_t index) {
  return std::any_of(need.pictures.begin(), need.pictures.end(),
                     [index](const PictureRange& r) { return r.first <= index && index <= r.last; });
}

bool need_met(const PictureNeed& need, int32_t width, int32_t height, const Image* reference) {
  int32_t least_width = need.width;
  int32_t least_height = need.height;
  if (need.reference >= 0) {
    if (reference == nullptr) return false;
    least_width = std::max(least_width, reference->width);
    least_height = std::max(least_height, reference->height);
  }
  if (need.exact_width ? width != least_width : width < least_width) return false;
  return height >= least_height;
}

NeededSize least_needed_size(int32_t index) {
  NeededSize size{1, 1};
  for (const PictureNeed& need : needs) {
    if (!need_covers(need, index)) continue;
    NeededSize least{need.width, need.height};
    if (need.reference >= 0) {
      const NeededSize reference = least_needed_size(need.reference);
      least = {std::max(least.width, reference.width), std::max(least.height, reference.height)};
    }
    size = {std::max(size.width, least.width), std::max(size.height, least.height)};
  }
  return size;
}
