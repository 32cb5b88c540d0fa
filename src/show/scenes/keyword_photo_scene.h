// Cues 6-9 and 12-15: one scene template with a parameter row per cue. A
// wide photograph seen through a calming random horizontal blur; a keyword
// gliding in as two cross-fading copies; two drifting labels; three
// thumbnails popping in; a smeared band and a white flash at the start.
#pragma once

#include <cstdint>

#include "show/scenes/scene.h"

enum class KeywordSmear : uint8_t { down, up };
enum class KeywordFlash : uint8_t { a, b };

struct KeywordThumbnail {
  int32_t picture;
  int32_t dst_x;
  int32_t appear_ms;  // visible from this scene time on
};

struct KeywordPhotoRow {
  int32_t photo;          // P
  int32_t keyword;        // K
  int32_t lift_label;     // L1
  int32_t sink_label;     // L2
  bool keyword_at_right;  // dst_x = screen width - keyword width, else 0
  int32_t motion_sign;    // +1: copies come from below their base, -1: from above
  int32_t base_out;
  int32_t base_in;
  int32_t motion_divisor;  // D
  int32_t label_width;     // 0: each label's own picture width
  int32_t lift_x;
  int32_t lift_base;
  int32_t sink_x;
  int32_t sink_base;
  int32_t sink_opacity_divisor;
  int32_t thumbnail_y;
  KeywordThumbnail thumbnails[3];  // S1, S2, S3: orders 7, 8, 9
  KeywordSmear smear;
  KeywordFlash flash;
};

// The rows of cues 6, 7, 8, 9, 12, 13, 14 and 15, in that order.
extern const KeywordPhotoRow keyword_photo_rows[8];

struct KeywordScene : Scene {
  const KeywordPhotoRow* row = nullptr;
};

// Builds the scene of `row` (one of keyword_photo_rows).
void build_keyword_photo_scene(SceneBuilder<KeywordScene>& b, const KeywordPhotoRow& row);
