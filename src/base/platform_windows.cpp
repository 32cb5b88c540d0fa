#include <fcntl.h>
#include <direct.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/platform.h"
#include "base/windows_error.h"

namespace platform {

namespace {

std::atomic<StopHandler> stop_handler{nullptr};

// The console's events as stop requests. Ctrl-C and Ctrl-Break are handled
// and the program goes on; when the console closes (or the session ends),
// the process is ended as soon as this returns, so it waits for the program
// to finish its outputs and exit (Windows allows a few seconds).
BOOL WINAPI on_console_event(DWORD event) {
  const StopHandler handler = stop_handler.load();
  if (handler == nullptr) return FALSE;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    handler(SIGINT);
    return TRUE;
  }
  handler(SIGTERM);
  Sleep(INFINITE);
  return TRUE;
}

// The player's requests go to the video library's own handlers of SIGINT
// and SIGTERM: the console closing is raised as SIGTERM.
BOOL WINAPI on_console_close(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return FALSE;  // the C library's SIGINT
  std::raise(SIGTERM);
  Sleep(INFINITE);
  return TRUE;
}

}  // namespace

void set_default_env(const char* name, const char* value) {
  const char* now = std::getenv(name);
  if (now == nullptr || *now == '\0') _putenv_s(name, value);
}

std::filesystem::path program_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return std::filesystem::path(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string temporary_folder() {
  char path[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof path, path);
  if (n == 0 || n > MAX_PATH) return ".";
  std::string folder(path, n);
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

std::string settings_folder() {
  const char* data = std::getenv("APPDATA");
  return data != nullptr && *data != '\0' ? data : std::string();
}

namespace {

// The stream of an open descriptor, or null (the descriptor closed) with
// errno set.
FileHandle stream_of(int fd, const char* mode) {
  if (fd < 0) return nullptr;
  FileHandle file(_fdopen(fd, mode));
  if (!file) {
    const int reason = errno;
    _close(fd);
    errno = reason;
  }
  return file;
}

int create_unique_descriptor(std::string* name, int suffix_length) {
  const std::size_t end = name->size() - static_cast<std::size_t>(suffix_length);
  if (name->size() < static_cast<std::size_t>(suffix_length) + 6 || name->compare(end - 6, 6, "XXXXXX") != 0) {
    errno = EINVAL;
    return -1;
  }
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  unsigned long long value = GetTickCount64() ^ (static_cast<unsigned long long>(_getpid()) << 20);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    unsigned long long v = value + static_cast<unsigned long long>(attempt) * 7919;
    for (std::size_t i = end - 6; i < end; ++i, v /= 36) (*name)[i] = letters[v % 36];
    const int fd = _open(name->c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

FileHandle create_unique_file(std::string* name, int suffix_length) {
  return stream_of(create_unique_descriptor(name, suffix_length), "wb");
}

FileHandle create_new_file(const std::string& name) {
  return stream_of(_open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE), "wb");
}

Result<FileHandle> open_regular_file(const std::string& path) {
  struct _stat64 about {};
  if (_stat64(path.c_str(), &about) == 0 && (about.st_mode & _S_IFMT) != _S_IFREG) {
    return Failure{"not a regular file"};
  }
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return Failure{std::strerror(errno)};
  return file;
}

bool path_kind(const std::string& path, PathKind* kind) {
  struct _stat64 about {};
  if (_stat64(path.c_str(), &about) != 0) {
    if (errno != ENOENT) return false;
    *kind = PathKind::nothing;
    return true;
  }
  const auto type = about.st_mode & _S_IFMT;
  *kind = type == _S_IFDIR ? PathKind::folder : type == _S_IFREG ? PathKind::regular_file : PathKind::other;
  return true;
}

Result<std::string> read_link(const std::string&) {
  return Failure{std::strerror(EINVAL)};  // no links here
}

bool is_writable(const std::string& path) { return _access(path.c_str(), 2) == 0; }

bool remove_file(const char* path) { return _unlink(path) == 0; }

bool remove_empty_folder(const char* path) { return _rmdir(path) == 0; }

long process_id() { return static_cast<long>(_getpid()); }

bool process_may_run(long id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;  // no such process
  DWORD code = 0;
  const bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

bool stderr_is_terminal() { return _isatty(_fileno(stderr)) != 0; }

ZeroedMemory::ZeroedMemory(std::size_t bytes) : data_(bytes == 0 ? nullptr : std::calloc(bytes, 1)) {}

ZeroedMemory::~ZeroedMemory() { std::free(data_); }

bool rename_replacing(const char* from, const char* to) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return true;
  errno = errno_of(GetLastError());
  return false;
}

DeviceName device_name(const std::string& path) {
  // The last part of the path, up to its first dot, without the spaces that
  // end it.
  const std::string name = !path.empty() && path.back() == ':' ? path.substr(0, path.size() - 1) : path;  // "NUL:"
  const size_t separator = name.find_last_of("/\\:");
  const size_t start = separator == std::string::npos ? 0 : separator + 1;
  std::string base = name.substr(start, name.find('.', start) - start);
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (base == "NUL") return DeviceName::null_device;
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "CONIN$" || base == "CONOUT$") {
    return DeviceName::other_device;
  }
  // COM and LPT with a digit, or with the superscript one, two or three of
  // the Latin-1 code page.
  const bool port = base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0);
  const unsigned char n = port ? static_cast<unsigned char>(base[3]) : 0;
  if (port && ((n >= '0' && n <= '9') || n == 0xB9 || n == 0xB2 || n == 0xB3)) return DeviceName::other_device;
  return DeviceName::none;
}

void binary_stdout() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

void on_stop_requests(StopHandler handler, bool /*broken_pipe*/) {
  stop_handler.store(handler);
  SetConsoleCtrlHandler(on_console_event, TRUE);
}

void ignore_broken_pipe() {}  // no such signal: a write to a closed pipe fails

void hold_stop_requests() {}

void release_stop_requests() { SetConsoleCtrlHandler(on_console_close, TRUE); }

void die_by_signal(int signal) { _exit(128 + signal); }

}  // namespace platform
