#include "show/picture_needs.h"

#include <algorithm>

#include "show/show_files.h"

namespace {

// Every row is a need the scenes state by the rectangles they read: each
// rectangle must lie inside its picture, and a blur reads rows of the width
// it writes. None is a memory need: a picture that misses one is still read
// and written only inside its pixels (see picture_needs.h), just not drawn
// as the scene intends.

constexpr PictureRange only(int32_t picture) { return {picture, picture}; }

// The presents scene pans a 400x300 view from column 139 to column 4.
constexpr PictureRange shipyard[] = {only(pic::shipyard1)};
// The design scene's view (and its faint copy) drifts up to column 79.
constexpr PictureRange design_factory[] = {only(pic::factory1_jpg)};
// The title card copies a 400x300 rectangle of its backdrop.
constexpr PictureRange title_backdrop[] = {only(pic::factory1_png)};
// The eye zoom's slide show reads a 400x300 rectangle of sixteen earlier
// photographs.
constexpr PictureRange slide_show[] = {
    only(pic::shipyard1), only(pic::factory1_jpg), only(pic::traffic1),  only(pic::train_jpg),
    only(pic::factory2),  only(pic::crane1),       only(pic::factory3),  only(pic::traffic9),
    only(pic::laptop9),   only(pic::motherboard),  only(pic::phone),     only(pic::factory4),
    only(pic::crane2),    only(pic::powerstation), only(pic::traffic10), only(pic::fuel1)};
// The traffic scene reads all eight photographs through the first one's size.
constexpr PictureRange later_traffic[] = {{pic::traffic2, pic::traffic8}};
// Keyword photo scenes read a 400x300 view at the left end and, from 2 s on,
// at the right end (column width - 400).
constexpr PictureRange keyword_photos[] = {only(pic::factory2), only(pic::crane1),       only(pic::factory3),
                                           only(pic::traffic9), only(pic::factory4),     only(pic::crane2),
                                           only(pic::powerstation), only(pic::traffic10)};
// Keyword photo scenes with a 100-column label read that many columns of it.
constexpr PictureRange labels[] = {{pic::bullshitwhite, pic::bullshitblack}};
// The laptop cross-fade reads all sixteen laptops through the first one's size.
constexpr PictureRange later_laptops[] = {{pic::laptop2, pic::laptop16}};
// The strip loops read rows 0 to 11 r - 1 for r up to 5 (mobile computing)
// and up to 6 (fuel window), and the head piece H - 11 r - 11 rows.
constexpr PictureRange strip[] = {only(pic::binary)};
// Blurs read their source as 300 rows of 400 pixels (the size of the image
// they write): a wider picture would be drawn sheared, a narrower one too or,
// holding fewer than 400x300 pixels, not at all. Stairs 14 and 15 and
// basements 14 and 15 are in no sequence table, so nothing reads them.
constexpr PictureRange blurred[] = {only(pic::globalcoverage),       {pic::fuel1, pic::fuel9},
                                    {pic::stairs1, pic::stairs13},     {pic::basement1, pic::basement13},
                                    {pic::elevator1, pic::elevator9}, {pic::pelsi1, pic::pelsi8},
                                    {pic::help1, pic::help4}};
// The fuel window shows columns up to 399 and rows up to 299 of fuel8; as a
// blurred picture it meets that already.
// The eye zoom's design flicker reads the later prints through the first one's size.
constexpr PictureRange later_prints[] = {{pic::design6, pic::design8}};
// The mixer and equipment pictures are read through the first one's size.
constexpr PictureRange later_mixers[] = {{pic::mixer2, pic::mixer4}};
constexpr PictureRange later_equipment[] = {{pic::x51, pic::x52}};
// The panorama scroll reads columns up to 759 + 399.
constexpr PictureRange panorama[] = {only(pic::lapinkulta)};
// The water frames are added through a 400x300 rectangle.
constexpr PictureRange water[] = {{pic::water1, pic::water4}};
// Each panorama thumbnail slot draws its later pictures at its first one's size.
constexpr PictureRange first_slot[] = {only(pic::lapinkultasmall4), only(pic::lapinkultasmall7),
                                       only(pic::lapinkultasmall10)};
constexpr PictureRange second_slot[] = {only(pic::lapinkultasmall5), only(pic::lapinkultasmall8),
                                        only(pic::lapinkultasmall11)};
constexpr PictureRange third_slot[] = {only(pic::lapinkultasmall6), only(pic::lapinkultasmall9),
                                       only(pic::lapinkultasmall12)};

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
    as_large_as(later_traffic, pic::traffic1, "the traffic scene reads every photograph through the first one's size"),
    at_least(keyword_photos, 400, 300, "a 400x300 view is read at its left and at its right end"),
    at_least(slide_show, 400, 300, "the eye zoom's slide show reads 400x300 of it"),
    at_least(labels, 100, 1, "keyword photo scenes show its leftmost 100 columns"),
    as_large_as(later_laptops, pic::laptop1, "the laptop cross-fade reads every laptop through the first one's size"),
    at_least(strip, 1, 66, "the strip loops read up to 66 rows from its top"),
    {blurred, 400, 300, -1, true,
     "blurred as 300 rows of 400 pixels; a picture of another width would be drawn sheared"},
    as_large_as(later_prints, pic::design5, "the design flicker reads every print through the first one's size"),
    as_large_as(later_mixers, pic::mixer1, "the mixer cycle reads every mixer through the first one's size"),
    as_large_as(later_equipment, pic::eps, "the equipment switch reads every picture through the first one's size"),
    at_least(panorama, 1159, 300, "a 400x300 view scrolls across it up to column 759"),
    at_least(water, 400, 300, "the water frames are added through 400x300"),
    as_large_as(first_slot, pic::lapinkultasmall1, "a thumbnail slot draws its pictures at its first one's size"),
    as_large_as(second_slot, pic::lapinkultasmall2, "a thumbnail slot draws its pictures at its first one's size"),
    as_large_as(third_slot, pic::lapinkultasmall3, "a thumbnail slot draws its pictures at its first one's size"),
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
