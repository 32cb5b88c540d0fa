#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "base/platform.h"

namespace platform {

namespace {

constexpr int stop_signals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

void set_stop_mask(int how) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigprocmask(how, &set, nullptr);
}

}  // namespace

void set_default_env(const char* name, const char* value) { ::setenv(name, value, 0); }

std::filesystem::path program_path() {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : path;
}

std::string temporary_folder() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

std::string settings_folder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') return config;
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? std::string(home) + "/.config" : std::string();
}

namespace {

// The stream of an open descriptor, or null (the descriptor closed) with
// errno set.
FileHandle stream_of(int fd, const char* mode) {
  if (fd < 0) return nullptr;
  FileHandle file(::fdopen(fd, mode));
  if (!file) {
    const int reason = errno;
    ::close(fd);
    errno = reason;
  }
  return file;
}

}  // namespace

FileHandle create_unique_file(std::string* name, int suffix_length) {
  return stream_of(::mkstemps(name->data(), suffix_length), "wb");
}

FileHandle create_new_file(const std::string& name) {
  // Read and write for everyone, less the umask, as for fopen().
  return stream_of(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666), "wb");
}

Result<FileHandle> open_regular_file(const std::string& path) {
  // Not blocking: a named pipe without a writer is refused below instead of
  // waited on.
  FileHandle file = stream_of(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC), "rb");
  struct stat about {};
  if (!file || ::fstat(::fileno(file.get()), &about) != 0) return Failure{std::strerror(errno)};
  if (!S_ISREG(about.st_mode)) return Failure{"not a regular file"};
  return file;
}

bool path_kind(const std::string& path, PathKind* kind) {
  struct stat about {};
  if (::lstat(path.c_str(), &about) != 0) {
    if (errno != ENOENT) return false;
    *kind = PathKind::nothing;
    return true;
  }
  *kind = S_ISDIR(about.st_mode)   ? PathKind::folder
          : S_ISLNK(about.st_mode) ? PathKind::link
          : S_ISREG(about.st_mode) ? PathKind::regular_file
                                   : PathKind::other;
  return true;
}

Result<std::string> read_link(const std::string& path) {
  char link[PATH_MAX];
  const ssize_t size = ::readlink(path.c_str(), link, sizeof link);
  if (size < 0) return Failure{std::strerror(errno)};
  if (static_cast<size_t>(size) == sizeof link) return Failure{std::strerror(ENAMETOOLONG)};
  return std::string(link, static_cast<size_t>(size));
}

bool is_writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool remove_file(const char* path) { return ::unlink(path) == 0; }

bool remove_empty_folder(const char* path) { return ::rmdir(path) == 0; }

long process_id() { return static_cast<long>(::getpid()); }

bool process_may_run(long id) { return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH; }

bool stderr_is_terminal() { return ::isatty(STDERR_FILENO) != 0; }

#if defined(__linux__) && defined(MADV_HUGEPAGE)
namespace {
constexpr std::size_t huge_page = std::size_t{2} << 20;
}

ZeroedMemory::ZeroedMemory(std::size_t bytes) {
  if (bytes == 0 || bytes > SIZE_MAX - huge_page) return;
  // Mapped with a huge page to spare, so that the block can start on a huge
  // page boundary; fresh anonymous pages read as zero.
  mapped_bytes_ = bytes + huge_page;
  void* mapping = ::mmap(nullptr, mapped_bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping != MAP_FAILED) {
    mapping_ = mapping;
    const auto start = (reinterpret_cast<std::uintptr_t>(mapping) + huge_page - 1) & ~(huge_page - 1);
    data_ = reinterpret_cast<void*>(start);
    ::madvise(data_, bytes, MADV_HUGEPAGE);  // a hint: without it the block still works
    return;
  }
  mapped_bytes_ = 0;
  data_ = std::calloc(bytes, 1);
}

ZeroedMemory::~ZeroedMemory() {
  if (mapping_ != nullptr) {
    ::munmap(mapping_, mapped_bytes_);
  } else {
    std::free(data_);
  }
}
#else
ZeroedMemory::ZeroedMemory(std::size_t bytes) : data_(bytes == 0 ? nullptr : std::calloc(bytes, 1)) {}

ZeroedMemory::~ZeroedMemory() { std::free(data_); }
#endif

bool rename_replacing(const char* from, const char* to) { return std::rename(from, to) == 0; }

DeviceName device_name(const std::string&) { return DeviceName::none; }

void binary_stdout() {}

void on_stop_requests(StopHandler handler, bool broken_pipe) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (const int signal : stop_signals) sigaddset(&action.sa_mask, signal);
  if (broken_pipe) sigaddset(&action.sa_mask, SIGPIPE);
  for (const int signal : stop_signals) sigaction(signal, &action, nullptr);
  if (broken_pipe) sigaction(SIGPIPE, &action, nullptr);
}

void ignore_broken_pipe() { ::signal(SIGPIPE, SIG_IGN); }

void hold_stop_requests() { set_stop_mask(SIG_BLOCK); }

void release_stop_requests() { set_stop_mask(SIG_UNBLOCK); }

void die_by_signal(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  ::raise(signal);
  ::_exit(128 + signal);  // not reached for a signal that ends the process
}

}  // namespace platform
