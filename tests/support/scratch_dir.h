// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes; one such directory for the whole
// test process, removed when the process ends; and a working directory for
// a while.
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

// `path` as the working directory while the object lives.
class WorkingDir {
 public:
  explicit WorkingDir(const std::string& path);
  ~WorkingDir();
  WorkingDir(const WorkingDir&) = delete;
  WorkingDir& operator=(const WorkingDir&) = delete;

 private:
  std::string previous_;
};

// The path of `name` in the process's own scratch directory.
std::string scratch_file(const std::string& name);
