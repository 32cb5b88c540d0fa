#include "output_folder.h"

#include <filesystem>
#include <system_error>

#include "base/platform.h"
#include "output_file.h"
#include "temporary_files.h"

namespace fs = std::filesystem;

OutputFolder::~OutputFolder() { remove_empty(); }

Result<void> OutputFolder::create(const std::string& path) {
  remove_empty();
  // The folders that are missing, outer first, each listed before it is made.
  std::vector<fs::path> missing;
  std::error_code ec;
  fs::path folder = fs::path(path).lexically_normal();
  if (folder.filename().empty()) folder = folder.parent_path();  // "a/b/" names a/b
  for (fs::path at = folder; !at.empty() && !fs::exists(fs::symlink_status(at, ec)); at = at.parent_path()) {
    missing.insert(missing.begin(), at);
    if (at == at.parent_path()) break;
  }
  for (const fs::path& at : missing) {
    made_.push_back({at.string(), temporary_files::add(at.string())});
    if (!fs::create_directory(at, ec) && ec) {
      made_.back().path.clear();  // not made: nothing to remove
      remove_empty();
      return Failure{path + ": " + ec.message()};
    }
  }
  if (!fs::is_directory(path, ec)) {
    remove_empty();
    return Failure{path + ": " + std::make_error_code(std::errc::not_a_directory).message()};
  }
  // A file made and removed again: the files can be written there.
  OutputFile probe;
  const Result<void> probed = probe.open(path + "/t");
  if (!probed) {
    probe.abandon();
    remove_empty();
    return Failure{path + ": " + probed.error().substr(probed.error().rfind(": ") + 2)};
  }
  return {};
}

void OutputFolder::remove_empty() {
  for (auto made = made_.rbegin(); made != made_.rend(); ++made) {
    if (!made->path.empty()) platform::remove_empty_folder(made->path.c_str());
    temporary_files::forget(made->ticket);
  }
  made_.clear();
}
