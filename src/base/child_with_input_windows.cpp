#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <csignal>

#include "base/child_with_input.h"
#include "base/windows_error.h"

namespace platform {

namespace {

// One argument of a command line as the C runtime of the child splits it.
std::string quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t slashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, '\\');
  return out + "\"";
}

}  // namespace

ChildWithInput::~ChildWithInput() {
  stop();
  (void)wait();
}

int ChildWithInput::start(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    line += quoted(arg);
  }
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 1 << 20)) return errno_of(GetLastError());
  SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = read_end;
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  // Its own process group: Ctrl-C at the console reaches only the caller.
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP, nullptr,
                                      nullptr, &startup, &info);
  const DWORD error = GetLastError();
  CloseHandle(read_end);
  if (!started) {
    CloseHandle(write_end);
    return errno_of(error);
  }
  CloseHandle(info.hThread);
  process_ = reinterpret_cast<long long>(info.hProcess);
  input_ = _open_osfhandle(reinterpret_cast<intptr_t>(write_end), _O_WRONLY | _O_BINARY);
  return 0;
}

bool ChildWithInput::write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const int n = _write(input_, bytes, static_cast<unsigned>(size > (1u << 30) ? (1u << 30) : size));
    if (n < 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

Result<void> ChildWithInput::wait() {
  if (input_ >= 0) {
    _close(input_);
    input_ = -1;
  }
  if (process_ < 0) return {};
  const HANDLE process = reinterpret_cast<HANDLE>(process_);
  WaitForSingleObject(process, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process, &status);
  CloseHandle(process);
  process_ = -1;
  if (status == 0) return {};
  return Failure{"exit status " + std::to_string(status)};
}

void ChildWithInput::stop() {
  if (process_ >= 0) TerminateProcess(reinterpret_cast<HANDLE>(process_), 128 + SIGTERM);
}

}  // namespace platform
