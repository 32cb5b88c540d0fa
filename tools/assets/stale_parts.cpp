#include "stale_parts.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/platform.h"
#include "show/show_files.h"

namespace assets {

namespace {

// What follows "data/" in a path of the show's tables.
std::string file_name(const char* table_path) {
  const char* slash = std::strrchr(table_path, '/');
  return slash != nullptr ? slash + 1 : table_path;
}

const std::set<std::string>& output_names() {
  static const std::set<std::string> names = [] {
    std::set<std::string> all;
    for (int32_t i = 0; i < picture_count; ++i) all.insert(file_name(picture_paths[i]));
    all.insert(file_name(soundtrack_path));
    return all;
  }();
  return names;
}

// The process id of "NAME.part<pid>" for one of our output names, else 0.
long own_temporary_pid(const std::string& name) {
  const size_t part = name.rfind(".part");
  if (part == std::string::npos || output_names().count(name.substr(0, part)) == 0) return 0;
  const std::string digits = name.substr(part + 5);
  if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stol(digits);
}

}  // namespace

void remove_stale_parts(const std::string& dir) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const long pid = own_temporary_pid(entry.path().filename().string());
    if (pid <= 0 || pid == platform::process_id()) continue;
    if (platform::process_may_run(pid)) continue;
    std::error_code ignored;
    if (entry.is_regular_file(ignored)) std::filesystem::remove(entry.path(), ignored);
  }
}

}  // namespace assets
