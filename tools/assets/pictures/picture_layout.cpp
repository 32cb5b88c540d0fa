#include "picture_layout.h"

#include <array>

namespace assets {

namespace {

constexpr LayoutTarget at_least(int32_t w, int32_t h, const char* why) {
  return {w, h, 0, 0, -1, why};
}
constexpr LayoutTarget exactly(int32_t w, int32_t h, const char* why) {
  return {w, h, w, h, -1, why};
}
// A word or small picture drawn at its own size at a fixed position.
constexpr LayoutTarget within(int32_t w, int32_t h, const char* why) {
  return {1, 1, w, h, -1, why};
}
constexpr LayoutTarget between(int32_t min_w, int32_t min_h, int32_t max_w, int32_t max_h,
                                  const char* why) {
  return {min_w, min_h, max_w, max_h, -1, why};
}
constexpr LayoutTarget same_as(int32_t index, const char* why) {
  return {1, 1, 0, 0, index, why};
}

// Blurs read their source with the destination's row length (400 words).
constexpr LayoutTarget blurred(const char* why) { return {400, 300, 400, 0, -1, why}; }

struct Span {
  int32_t first;
  int32_t last;
  LayoutTarget rule;
};

constexpr const char* keyword_photo =
    "keyword photograph: the view cuts to its right end at width - 400, so wider than 400";
constexpr const char* thumbnail =
    "thumbnail: slots sit 41 pixels apart from x 5 to 359 and rows 5 and 259";
constexpr const char* thumbnail_slot = "thumbnail slot switches to it at its first picture's size";
constexpr const char* laptop = "laptop cross-fade: additive one-to-one copy onto the 400x300 screen";
constexpr const char* credit = "credit name sliding onto a fixed row and column";

constexpr Span spans[] = {
    {0, 0, within(126, 32, "event name at x 8, y 150, left of the colon at x 135")},
    {1, 1, within(5, 24, "colon at x 135, right before the year at x 140")},
    {2, 2, within(200, 32, "year at x 140, y 151, left of the city at x 342")},
    {3, 3, within(58, 20, "city at x 342, y 188")},
    {4, 4, at_least(539, 300, "shipyard read through 400x300 from src_x up to 139")},
    {5, 5, within(28, 24, "group name part at x 180, y 84, up to the second part's letters at x 208")},
    {6, 6, within(160, 28, "group name part at x 205, y 78, over the next word at y 103")},
    {7, 7, within(130, 20, "word at x 265, y 103")},
    {8, 8, at_least(479, 300, "factory read through 400x300 from src_x up to 79")},
    {9, 9, at_least(400, 300, "title card backdrop read through 400x300")},
    {10, 10, within(400, 125, "design word resting at y 175")},
    {11, 11, within(400, 100, "design word resting at y 45")},
    {12, 12, within(215, 36, "word resting at x 185, y 145")},
    {13, 13, within(60, 30, "word resting at x 340, y 183")},
    {14, 14, between(120, 20, 200, 40, "title growing out of a 200x40 black bar")},
    {15, 15, exactly(400, 300, "traffic photographs are copied one to one onto the screen")},
    {16, 22, same_as(15, "traffic photograph read through image 15's size")},
    {23, 23, within(84, 26, "caption at x 200, y 154, left of the next at x 286")},
    {24, 24, within(114, 26, "caption at x 286, y 154")},
    {25, 25, within(70, 33, "caption at x 24, y 267, left of the next at x 96")},
    {26, 26, within(160, 33, "caption at x 96, y 267")},
    {27, 27, within(199, 60, "caption at x 201, y 181")},
    {28, 28, within(142, 57, "caption at x 258, y 243")},
    {29, 30, between(100, 8, 155, 30, "label: 100 columns are read, whole label at x 245")},
    {31, 31, exactly(400, 300, "train photograph copied one to one onto the screen")},
    {32, 32, between(250, 60, 0, 235, "cut-out train resting at x 150, y 65")},
    {33, 33, within(156, 33, "caption at x 92, y 32, left of the next at x 248")},
    {34, 34, within(152, 33, "caption at x 248, y 32")},
    {35, 35, within(334, 23, "word at x 66, y 167, above the next at y 190")},
    {36, 36, within(334, 25, "word at x 66, y 190, above the next at y 215")},
    {37, 37, within(340, 40, "word at x 60, y 215")},
    {38, 38, within(30, 40, "word at x 25, y 207, left of the next at x 55")},
    {39, 39, within(345, 40, "word at x 55, y 206")},
    {40, 40, at_least(401, 300, keyword_photo)},
    {41, 41, within(41, 41, thumbnail)},
    {42, 43, same_as(41, thumbnail_slot)},
    {44, 44, within(300, 50, "keyword gliding at y 104")},
    {45, 45, at_least(401, 300, keyword_photo)},
    {46, 46, within(41, 41, thumbnail)},
    {47, 48, same_as(46, thumbnail_slot)},
    {49, 49, within(300, 50, "keyword gliding at y 104")},
    {50, 50, at_least(401, 300, keyword_photo)},
    {51, 51, within(41, 41, thumbnail)},
    {52, 53, same_as(51, thumbnail_slot)},
    {54, 54, within(300, 50, "keyword gliding at y 104")},
    {55, 55, at_least(401, 300, keyword_photo)},
    {56, 56, within(41, 41, thumbnail)},
    {57, 58, same_as(56, thumbnail_slot)},
    {59, 59, within(300, 50, "keyword gliding at y 104")},
    {60, 60, exactly(400, 300, laptop)},
    {61, 75, same_as(60, laptop)},
    {76, 76, exactly(400, 300, "motherboard drawn from its own size onto the whole screen")},
    {77, 77, within(200, 60, "caption at x 200, y 167 to 231")},
    {78, 78, within(175, 40, "caption at x 225, y 195")},
    {79, 79, within(370, 40, "caption at x 30, y 127")},
    {80, 80, within(395, 40, "caption at x 5, y 155")},
    {81, 81, exactly(400, 300, "phone drawn from its own size onto the whole screen")},
    {82, 82, within(267, 295, "phone box at x 133, y 5")},
    {83, 83, blurred("vertically blurred into the back buffer")},
    {84, 84, at_least(401, 300, keyword_photo)},
    {85, 85, within(41, 41, thumbnail)},
    {86, 87, same_as(85, thumbnail_slot)},
    {88, 88, at_least(401, 300, keyword_photo)},
    {89, 89, within(41, 41, thumbnail)},
    {90, 91, same_as(89, thumbnail_slot)},
    {92, 92, at_least(401, 300, keyword_photo)},
    {93, 93, within(41, 41, thumbnail)},
    {94, 95, same_as(93, thumbnail_slot)},
    {96, 96, at_least(401, 300, keyword_photo)},
    {97, 97, within(41, 41, thumbnail)},
    {98, 99, same_as(97, thumbnail_slot)},
    {100, 108, blurred("fuel photograph blurred onto the screen; 107 also fills the window")},
    {109, 109, within(270, 23, "word drifting at y 70, above the next at y 93")},
    {110, 110, within(270, 30, "word drifting at y 93")},
    {111, 111, within(230, 20, "word drifting at y 190, above the next at y 210")},
    {112, 112, within(250, 30, "word drifting at y 210")},
    {113, 113,
     between(8, 77, 125, 79,
             "strip scrolled in 11-row steps up to 6 steps; both loops fit below y 221")},
    {114, 114, at_least(400, 300, "eye zoomed through the scaled path")},
    {115, 115, within(68, 28, "word at x 109, y 131, left of the next at x 177")},
    {116, 116, within(200, 27, "word at x 177, y 132")},
    {117, 117, within(39, 35, "word at x 127, y 170, left of the next at x 166")},
    {118, 118, within(234, 46, "word at x 166, y 159, above the next at y 205")},
    {119, 119, within(53, 30, "word at x 172, y 205, left of the next at x 225")},
    {120, 120, within(175, 60, "word at x 225, y 213")},
    {121, 135, blurred("stairs photograph blurred onto the screen")},
    {136, 136, within(180, 80, "word gliding to x 150 and x 220")},
    {137, 137, within(200, 80, "word gliding to x 200 and x 150")},
    {138, 138, within(200, 80, "word gliding to x 200 and x 100")},
    {139, 139, within(250, 80, "word gliding to x 100 and x 150")},
    {140, 154, blurred("basement photograph blurred onto the screen")},
    {155, 163, blurred("elevator photograph blurred onto the screen")},
    {164, 171, blurred("series photograph blurred onto the screen")},
    {172, 172, at_least(1159, 300, "panorama scrolled through 400x300 from src_x up to 759")},
    {173, 173, within(41, 41, thumbnail)},
    {174, 184, same_as(173, thumbnail_slot)},
    {185, 185, within(170, 300, "glow added at x 230, y 0")},
    {186, 189, at_least(400, 300, "water frames read through 400x300")},
    {190, 190, within(155, 60, "caption jittering around x 240, y 30")},
    {191, 191, within(380, 60, "caption jittering around x 15, y 120")},
    {192, 195, blurred("credits background blurred into the back buffer")},
    {196, 196, within(230, 60, "title sliding onto x 170, y 70")},
    {197, 201, within(170, 40, credit)},
    {202, 202, within(230, 60, "title sliding onto x 170, y 70")},
    {203, 208, within(170, 40, credit)},
    {209, 210, within(400, 300, "design overlay drawn at its own size from the top left corner")},
    {211, 211, within(400, 300, "design print added at its own size from the top left corner")},
    {212, 214, same_as(211, "design print read at image 211's size")},
    {215, 215, within(392, 63, "symbol at x 8, y 237")},
    {216, 216, within(400, 300, "mixer added at its own size from the top left corner")},
    {217, 219, same_as(216, "mixer read at image 216's size")},
    {220, 220, within(400, 300, "equipment added at its own size from the top left corner")},
    {221, 222, same_as(220, "equipment read at image 220's size")},
    {223, 223, exactly(400, 300, "end picture must take the one-to-one path for its fade")},
};

constexpr std::array<LayoutTarget, picture_count> expand() {
  std::array<LayoutTarget, picture_count> rules{};
  std::array<bool, picture_count> seen{};
  for (const Span& span : spans) {
    for (int32_t i = span.first; i <= span.last; ++i) {
      if (seen[i]) throw "picture listed twice";
      seen[i] = true;
      rules[i] = span.rule;
    }
  }
  for (bool s : seen) {
    if (!s) throw "picture without a layout target";
  }
  return rules;
}

constexpr std::array<LayoutTarget, picture_count> rules = expand();

}  // namespace

const LayoutTarget& layout_target(int32_t index) { return rules[index]; }

bool layout_target_met(int32_t index, int32_t width, int32_t height, int32_t ref_width, int32_t ref_height) {
  const LayoutTarget& rule = rules[index];
  if (width < rule.min_width || height < rule.min_height) return false;
  if (rule.max_width > 0 && width > rule.max_width) return false;
  if (rule.max_height > 0 && height > rule.max_height) return false;
  if (rule.same_size_as >= 0 && (width != ref_width || height != ref_height)) return false;
  return true;
}

int32_t first_layout_miss(std::span<const Image> pictures) {
  for (int32_t i = 0; i < picture_count; ++i) {
    const int32_t ref = rules[i].same_size_as;
    const int32_t ref_w = ref >= 0 ? pictures[ref].width : 0;
    const int32_t ref_h = ref >= 0 ? pictures[ref].height : 0;
    if (!layout_target_met(i, pictures[i].width, pictures[i].height, ref_w, ref_h)) return i;
  }
  return -1;
}

}  // namespace assets
