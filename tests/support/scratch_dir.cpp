#include "scratch_dir.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "sava-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string scratch_file(const std::string& name) {
  static const ScratchDir process;
  return process.file(name);
}

WorkingDir::WorkingDir(const std::string& path) : previous_(fs::current_path().string()) { fs::current_path(path); }

WorkingDir::~WorkingDir() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
}
