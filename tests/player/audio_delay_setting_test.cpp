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
  for (const int32_t ms : {150, -1000, 1000, 10}) {
    const Result<void> saved = save_audio_delay(path, ms);
    ASSERT_TRUE(saved) << saved.error();
    EXPECT_EQ(load_audio_delay(path), ms);
  }
  ASSERT_TRUE(save_audio_delay(path, 0));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(save_audio_delay(path, 0)) << "forgetting twice is no failure";

  const char* const unusable[] = {"", "1001\n", "abc\n", "--5\n", "15 ms\n", "-\n"};
  for (const char* text : unusable) {
    SCOPED_TRACE(text);
    write_file(path, std::vector<uint8_t>(text, text + std::char_traits<char>::length(text)));
    EXPECT_EQ(load_audio_delay(path), 0);
  }
  const Result<void> nowhere = save_audio_delay("", 5);
  ASSERT_FALSE(nowhere);
  EXPECT_FALSE(nowhere.error().empty());
}

}  // namespace
