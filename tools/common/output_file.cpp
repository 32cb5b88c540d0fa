#include "output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "temporary_files.h"

bool has_extension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  // A dot that starts the name ("dir/.mp4") is no extension.
  return dot != std::string::npos && dot > name_start;
}

std::string temporary_name(const std::string& path, bool keep_extension) {
  const std::string part = ".part" + std::to_string(::getpid());
  if (keep_extension && has_extension(path)) {
    const size_t dot = path.rfind('.');
    return path.substr(0, dot) + part + path.substr(dot);
  }
  return path + part;
}

OutputFile::~OutputFile() { abandon(); }

bool OutputFile::create(const std::string& path, bool keep_extension, std::string* error) {
  abandon();
  path_ = path;
  temporary_ = temporary_name(path, keep_extension);
  ticket_ = temporary_files::add(temporary_);
  if (error != nullptr) error->clear();
  file_.reset(std::fopen(temporary_.c_str(), "wb"));
  if (!file_) {
    if (error != nullptr) *error = path + ": " + std::strerror(errno);
    temporary_files::forget(ticket_);
    ticket_ = -1;
    temporary_.clear();
    return false;
  }
  return true;
}

bool OutputFile::open(const std::string& path, std::string* error) { return create(path, false, error); }

bool OutputFile::reserve(const std::string& path, std::string* error) {
  // Created here, empty, so that an unusable path fails before any work.
  if (!create(path, true, error)) return false;
  file_.reset();
  return true;
}

bool OutputFile::commit(std::string* error) {
  if (temporary_.empty()) {
    if (error != nullptr) *error = path_ + ": not open";
    return false;
  }
  bool ok = true;
  int reason = 0;
  if (file_) {
    if (std::fflush(file_.get()) != 0 || std::ferror(file_.get())) {
      ok = false;
      reason = errno;
    }
    if (std::fclose(file_.release()) != 0 && ok) {
      ok = false;
      reason = errno;
    }
  }
  if (ok && std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    ok = false;
    reason = errno;
  }
  if (!ok) {
    if (error != nullptr) *error = path_ + ": " + std::strerror(reason != 0 ? reason : EIO);
    abandon();
    return false;
  }
  temporary_files::forget(ticket_);
  ticket_ = -1;
  temporary_.clear();
  return true;
}

void OutputFile::abandon() {
  file_.reset();
  if (!temporary_.empty()) {
    std::remove(temporary_.c_str());
    temporary_.clear();
  }
  temporary_files::forget(ticket_);
  ticket_ = -1;
}
