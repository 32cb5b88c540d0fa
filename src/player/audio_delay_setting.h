// The audio delay kept for the next start: one whole number of milliseconds
// in sava/audio-delay under the user's settings folder
// (platform::settings_folder). A delay of 0 is kept as no file.
#pragma once

#include <cstdint>
#include <string>

#include "base/result.h"

// The file's path; empty where there is no settings folder.
std::string audio_delay_setting_path();

// The kept delay: 0 without a file, or with one that does not hold a whole
// number within +-audio_delay_limit_ms.
int32_t load_audio_delay(const std::string& path);

// Keeps `ms` (0 removes the file); refused with a one-line reason when it
// cannot be written.
Result<void> save_audio_delay(const std::string& path, int32_t ms);
