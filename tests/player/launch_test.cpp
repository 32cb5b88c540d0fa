#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "player/input_rule.h"
#include "player/launch.h"
#include "player/screen_convert.h"

namespace {

TEST(Input, OnlyReleasedEscapeOrCloseEndsTheShow) {
  constexpr uint32_t key_down = 2;
  EXPECT_TRUE(event_ends_show(event_key_up, key_escape));
  EXPECT_TRUE(event_ends_show(event_quit, 0));
  EXPECT_FALSE(event_ends_show(key_down, key_escape));  // pressed or held
  EXPECT_FALSE(event_ends_show(event_key_up, 'q'));
  EXPECT_FALSE(event_ends_show(4, key_escape));  // mouse motion
}

TEST(Caption, Latin1IsReencodedAsUtf8) {
  EXPECT_EQ(latin1_to_utf8(window_caption), "yrH ToLVaS: S\xC3\xA4v\xC3\xA4");
  EXPECT_EQ(latin1_to_utf8("\x7F\x80\xBF\xC0\xFF"), "\x7F\xC2\x80\xC2\xBF\xC3\x80\xC3\xBF");
  EXPECT_EQ(latin1_to_utf8(""), "");
  EXPECT_EQ(latin1_to_utf8(nullptr), "");
}

constexpr PixelLayout xrgb8888 = {4, 16, 8, 0, 0, 0, 0, 0};

TEST(ScreenLayout, OnlyGaplessXrgbWordsAreDrawnIntoDirectly) {
  EXPECT_TRUE(layout_matches_screen(xrgb8888, 1600, 400));
  EXPECT_FALSE(layout_matches_screen(xrgb8888, 1664, 400));  // padded rows
  EXPECT_FALSE(layout_matches_screen({4, 0, 8, 16, 0, 0, 0, 0}, 1600, 400));  // blue first
  EXPECT_FALSE(layout_matches_screen({2, 11, 5, 0, 3, 2, 3, 0}, 800, 400));
}

TEST(ScreenLayout, ConversionPacksChannelsAndHonoursThePitch) {
  const uint32_t src[4] = {0x00FF8001u, 0x12345678u, 0xFFFFFFFFu, 0x00000000u};

  // Blue-first 32-bit with alpha, rows padded to 12 bytes.
  const PixelLayout abgr = {4, 0, 8, 16, 0, 0, 0, 0xFF000000u};
  uint8_t out32[24];
  std::memset(out32, 0xEE, sizeof out32);
  convert_to_layout(src, 2, 2, out32, 12, abgr);
  const uint8_t want32[24] = {0xFF, 0x80, 0x01, 0xFF, 0x34, 0x56, 0x78, 0xFF, 0xEE, 0xEE, 0xEE, 0xEE,
                              0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(0, std::memcmp(out32, want32, sizeof want32));

  // 16-bit 5-6-5: 0xFF8001 -> r 31, g 32, b 0 = 0xFC00.
  const PixelLayout rgb565 = {2, 11, 5, 0, 3, 2, 3, 0};
  uint8_t out16[4];
  convert_to_layout(src, 2, 1, out16, 4, rgb565);
  const uint16_t first = static_cast<uint16_t>(out16[0] | (out16[1] << 8));
  const uint16_t second = static_cast<uint16_t>(out16[2] | (out16[3] << 8));
  EXPECT_EQ(first, 0xFC00);
  EXPECT_EQ(second, (0x34 >> 3) << 11 | (0x56 >> 2) << 5 | (0x78 >> 3));

  // 24-bit, lowest byte first.
  uint8_t out24[6];
  convert_to_layout(src, 2, 1, out24, 6, {3, 16, 8, 0, 0, 0, 0, 0});
  const uint8_t want24[6] = {0x01, 0x80, 0xFF, 0x78, 0x56, 0x34};
  EXPECT_EQ(0, std::memcmp(out24, want24, sizeof want24));
}

}  // namespace
