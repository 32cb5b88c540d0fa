// A folder for a tool's output files, made with any missing folders above
// it. The folders it made are removed again if the tool leaves them empty
// (it failed or was stopped before its first file), also when a signal ends
// the tool: they are on the list of temporary_files.h meanwhile.
#pragma once

#include <string>
#include <vector>

#include "base/result.h"

class OutputFolder {
 public:
  OutputFolder() = default;
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;
  // Removes the folders it made that are empty, inner ones first.
  ~OutputFolder();

  // Makes `path` and the missing folders above it, and checks that files
  // can be made in it. On failure leaves nothing it made and fails with
  // "PATH: reason".
  Result<void> create(const std::string& path);

 private:
  void remove_empty();

  struct Made {
    std::string path;
    int ticket;
  };
  std::vector<Made> made_;  // outer first
};
