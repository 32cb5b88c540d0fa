// A file written under a temporary name beside its final one and renamed to
// it only when complete, so that nothing half-written ever carries the final
// name: not when the tool fails, is interrupted or is killed, nor for a
// reader that looks while it is being written. Until then the temporary file
// is on the list of temporary_files.h.
#pragma once

#include <cstdio>
#include <string>

#include "base/file_handle.h"

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Abandons the file unless it was committed.
  ~OutputFile();

  // Creates the temporary file, so that an unusable path fails at once. On
  // failure sets `error` to "PATH: reason" and returns false.
  bool open(const std::string& path, std::string* error);

  // Only the temporary name, not opened: for a writer of its own (another
  // process) that creates the file there. The name keeps the final name's
  // extension at its end.
  bool reserve(const std::string& path, std::string* error);

  std::FILE* stream() const { return file_.get(); }
  const std::string& path() const { return path_; }
  const std::string& temporary_path() const { return temporary_; }

  // Flushes and closes the stream (if open) and renames the file to its
  // final name. On failure sets `error` to "PATH: reason", removes the
  // temporary file and returns false.
  bool commit(std::string* error);

  // Closes and removes the temporary file. Safe to call more than once.
  void abandon();

 private:
  // Lists the temporary name and creates the file there, open.
  bool create(const std::string& path, bool keep_extension, std::string* error);

  FileHandle file_;
  std::string path_;
  std::string temporary_;
  int ticket_ = -1;
};

// "NAME.part<pid>", or with `keep_extension` "STEM.part<pid>.EXT" (for
// writers that choose the format by the extension).
std::string temporary_name(const std::string& path, bool keep_extension);

// Whether the file name of `path` has an extension (".EXT" after its first
// character).
bool has_extension(const std::string& path);
