// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes; and one such directory for the
// whole test process, removed when the process ends.
#pragma once

#include <string>

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  // The path of `name` in the directory.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The path of `name` in the process's own scratch directory.
std::string scratch_file(const std::string& name);
