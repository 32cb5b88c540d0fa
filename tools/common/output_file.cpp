#include "output_file.h"

#include <cerrno>
#include <cstring>

#include "base/platform.h"
#include "temporary_files.h"


namespace {

// The links a path may pass through before it counts as a loop, as the
// system counts them.
constexpr int most_links = 40;

// A name of an open descriptor: what it stands for is the descriptor's own
// business (a pipe, a terminal, a file the shell opened), so it is written
// into, whatever it is.
bool names_open_descriptor(const std::string& path) {
  if (path.rfind("/dev/fd/", 0) == 0) return true;
  if (path.rfind("/proc/", 0) != 0) return false;
  // /proc/self/fd/N, /proc/thread-self/fd/N, /proc/PID/fd/N, /proc/PID/task/TID/fd/N.
  const size_t fd = path.rfind("/fd/");
  return fd != std::string::npos && path.find('/', fd + 4) == std::string::npos;
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash + 1);
}

Failure failed(const std::string& path, int reason) { return Failure{path + ": " + std::strerror(reason)}; }

}  // namespace

bool has_extension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  // A dot that starts the name ("dir/.mp4") is no extension.
  return dot != std::string::npos && dot > name_start;
}

std::string temporary_name(const std::string& path, bool keep_extension) {
  const std::string part = ".part" + std::to_string(platform::process_id());
  if (keep_extension && has_extension(path)) {
    const size_t dot = path.rfind('.');
    return path.substr(0, dot) + part + path.substr(dot);
  }
  return path + part;
}

Result<void> find_output_target(const std::string& path, OutputKind* kind, std::string* target, OutputName name) {
  if (path == "-") {
    *kind = OutputKind::standard_output;
    target->clear();
    return {};
  }
  std::string at = path;
  for (int links = 0; links <= most_links; ++links) {
    switch (platform::device_name(at)) {
      case platform::DeviceName::null_device:
        *kind = OutputKind::straight;
        target->clear();
        return {};
      case platform::DeviceName::other_device:
        return Failure{path + ": a device of Windows, not a file (NUL is the one that takes output)"};
      case platform::DeviceName::none: break;
    }
    if (names_open_descriptor(at) && name == OutputName::followed) {
      *kind = OutputKind::straight;
      target->clear();
      return {};
    }
    platform::PathKind there;
    if (!platform::path_kind(at, &there)) return failed(path, errno);
    if (there == platform::PathKind::folder) return failed(path, EISDIR);
    // Nothing there yet (also the end of a dangling link): a new file.
    if (there == platform::PathKind::nothing || name == OutputName::own) {
      *kind = OutputKind::replaced;
      *target = at;
      return {};
    }
    if (there == platform::PathKind::link) {
      const Result<std::string> link = platform::read_link(at);
      if (!link) return Failure{path + ": " + link.error()};
      at = !link->empty() && (*link)[0] == '/' ? *link : folder_of(at) + *link;
      continue;
    }
    *kind = there == platform::PathKind::regular_file ? OutputKind::replaced : OutputKind::straight;
    if (*kind == OutputKind::replaced) {
      *target = at;
    } else {
      target->clear();
    }
    return {};
  }
  return failed(path, ELOOP);
}

OutputFile::~OutputFile() { abandon(); }

Result<void> OutputFile::start(const std::string& path, bool keep_extension, bool open_stream, OutputName name) {
  abandon();
  path_ = path;
  Result<void> found = find_output_target(path, &kind_, &target_, name);
  if (!found) return found;
  if (kind_ == OutputKind::standard_output) {
    if (open_stream) stream_ = stdout;
    return {};
  }
  if (kind_ == OutputKind::straight) {
    if (!open_stream) {
      if (!platform::is_writable(path)) return failed(path, errno);
      return {};
    }
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) return failed(path, errno);
    stream_ = file_.get();
    return {};
  }
  temporary_ = temporary_name(target_, keep_extension);
  ticket_ = temporary_files::add(temporary_);
  // Whatever stands at the temporary name (what a killed run of the same
  // process id left, or a link someone put there) goes first.
  std::remove(temporary_.c_str());
  file_ = platform::create_new_file(temporary_);
  if (!file_) {
    const int reason = errno;
    temporary_files::forget(ticket_);
    ticket_ = -1;
    temporary_.clear();
    return failed(path, reason);
  }
  // Created here, empty, so that an unusable path fails before any work.
  if (!open_stream) file_.reset();
  stream_ = file_.get();
  return {};
}

Result<void> OutputFile::open(const std::string& path, OutputName name) { return start(path, false, true, name); }

Result<void> OutputFile::reserve(const std::string& path) { return start(path, true, false, OutputName::followed); }

Result<void> OutputFile::commit() {
  if (kind_ == OutputKind::replaced && temporary_.empty()) return Failure{path_ + ": not open"};
  int reason = 0;
  if (stream_ != nullptr) {
    if (std::fflush(stream_) != 0 || std::ferror(stream_)) reason = errno != 0 ? errno : EIO;
    if (file_ && std::fclose(file_.release()) != 0 && reason == 0) reason = errno;
    stream_ = nullptr;
  }
  if (reason == 0 && kind_ == OutputKind::replaced && !platform::rename_replacing(temporary_.c_str(), target_.c_str())) {
    reason = errno;
  }
  if (reason != 0) {
    abandon();
    return failed(name(), reason);
  }
  temporary_files::forget(ticket_);
  ticket_ = -1;
  temporary_.clear();
  return {};
}

void OutputFile::abandon() {
  file_.reset();
  stream_ = nullptr;
  if (!temporary_.empty()) {
    std::remove(temporary_.c_str());
    temporary_.clear();
  }
  temporary_files::forget(ticket_);
  ticket_ = -1;
}
