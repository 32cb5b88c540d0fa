#include "show/data_folder.h"

#include "base/platform.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// The installed data folder relative to the folder of the installed program,
// and the one of the prefix it was built for (set by the build).
#ifndef SAVA_DATA_FROM_BINDIR
#define SAVA_DATA_FROM_BINDIR "../share/sava/data"
#endif
#ifndef SAVA_INSTALLED_DATA_DIR
#define SAVA_INSTALLED_DATA_DIR "/usr/local/share/sava/data"
#endif

bool is_folder(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

// The file name of a table path: what follows "data/".
const char* file_name(const char* table_path) {
  const char* slash = std::strrchr(table_path, '/');
  return slash != nullptr ? slash + 1 : table_path;
}

}  // namespace

std::string installed_data_folder() {
  const fs::path program = platform::program_path();
  if (!program.empty()) {
    const fs::path beside = program.parent_path() / SAVA_DATA_FROM_BINDIR;
    if (is_folder(beside)) return beside.lexically_normal().string();
  }
  if (is_folder(SAVA_INSTALLED_DATA_DIR)) return SAVA_INSTALLED_DATA_DIR;
  return "";
}

std::string choose_data_folder(const std::string& given, const std::string& installed) {
  if (!given.empty()) return given;
  std::error_code ec;
  if (fs::is_regular_file(::soundtrack_path, ec)) return "data";
  return installed.empty() ? "data" : installed;
}

std::string find_data_folder(const std::string& given) {
  return given.empty() ? choose_data_folder(given, installed_data_folder()) : given;
}

ShowFiles::ShowFiles(const std::string& folder) {
  std::string prefix = folder;
  // "DIR/" and "DIR" name the same folder; "/" stays the root.
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  if (prefix != "/") prefix += '/';
  pictures_.reserve(picture_count);
  for (int32_t i = 0; i < picture_count; ++i) pictures_.push_back(prefix + file_name(::picture_paths[i]));
  for (const std::string& path : pictures_) pointers_.push_back(path.c_str());
  pointers_.push_back(nullptr);
  soundtrack_ = prefix + file_name(::soundtrack_path);
}
