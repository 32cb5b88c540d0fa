#include "player/audio_delay_setting.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/file_handle.h"
#include "base/platform.h"
#include "base/whole_number.h"
#include "core/clock.h"

std::string audio_delay_setting_path() {
  const std::string folder = platform::settings_folder();
  if (folder.empty()) return {};
  return (std::filesystem::path(folder) / "sava" / "audio-delay").string();
}

int32_t load_audio_delay(const std::string& path) {
  if (path.empty()) return 0;
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return 0;
  char text[32] = {};
  const size_t n = std::fread(text, 1, sizeof text - 1, file.get());
  text[n] = '\0';
  if (n > 0 && text[n - 1] == '\n') text[n - 1] = '\0';
  const bool negative = text[0] == '-';
  int64_t ms = 0;
  if (!parse_whole_number(text + (negative ? 1 : 0), 0, audio_delay_limit_ms, &ms)) return 0;
  return static_cast<int32_t>(negative ? -ms : ms);
}

Result<void> save_audio_delay(const std::string& path, int32_t ms) {
  if (path.empty()) return Failure{"no settings folder to keep the audio delay in"};
  std::error_code ec;
  if (ms == 0) {
    std::filesystem::remove(path, ec);
    if (!ec) return {};
    return Failure{"cannot remove " + path + ": " + ec.message()};
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  // Written whole under another name, then put in place.
  const std::string part = path + ".part";
  FileHandle file(std::fopen(part.c_str(), "wb"));
  const bool written = file && std::fprintf(file.get(), "%d\n", static_cast<int>(ms)) > 0 &&
                       std::fclose(file.release()) == 0;
  if (!written || !platform::rename_replacing(part.c_str(), path.c_str())) {
    Failure failure{"cannot write " + path + ": " + std::strerror(errno)};
    std::remove(part.c_str());
    return failure;
  }
  return {};
}
