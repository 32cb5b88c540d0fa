// The audio delay kept between starts: written, read back, forgotten, and
// whatever else the file holds read as no delay.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/files.h"
#include "player/audio_delay_setting.h"
#include "support/scratch_dir.h"

namespace {

TEST(AudioDelaySetting, KeptReadBackAndForgotten) {
  ScratchDir dir;
  const std::string path = dir.file("settings/sava/audio-delay");
  EXPECT_EQ(load_audio_delay(path), 0);  // nothing kept yet
  std::string error;
  for (const int32_t ms : {150, -1000, 1000, 10}) {
    ASSERT_TRUE(save_audio_delay(path, ms, &error)) << error;
    EXPECT_EQ(load_audio_delay(path), ms);
  }
  ASSERT_TRUE(save_audio_delay(path, 0, &error)) << error;
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(save_audio_delay(path, 0, &error)) << "forgetting twice is no failure";

  const char* const unusable[] = {"", "1001\n", "abc\n", "--5\n", "15 ms\n", "-\n"};
  for (const char* text : unusable) {
    SCOPED_TRACE(text);
    write_file(path, std::vector<uint8_t>(text, text + std::char_traits<char>::length(text)));
    EXPECT_EQ(load_audio_delay(path), 0);
  }
  EXPECT_FALSE(save_audio_delay("", 5, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
