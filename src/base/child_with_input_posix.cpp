#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "base/child_with_input.h"

extern char** environ;

namespace platform {

ChildWithInput::~ChildWithInput() {
  stop();
  (void)wait();
}

int ChildWithInput::start(const std::vector<std::string>& args) {
  int fds[2];
  if (::pipe(fds) != 0) return errno;
  std::vector<std::string> copies = args;
  std::vector<char*> argv;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawnattr_init(&attributes);
  // Its own process group, and the signals the caller handles or ignores
  // back at their defaults.
  sigset_t defaults;
  sigemptyset(&defaults);
  for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  const int result = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(fds[0]);
  if (result != 0) {
    ::close(fds[1]);
    return result;
  }
  process_ = pid;
  input_ = fds[1];
  return 0;
}

bool ChildWithInput::write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(input_, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

Result<void> ChildWithInput::wait() {
  if (input_ >= 0) {
    ::close(input_);
    input_ = -1;
  }
  if (process_ < 0) return {};
  int status = 0;
  while (::waitpid(static_cast<pid_t>(process_), &status, 0) < 0 && errno == EINTR) {
  }
  process_ = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  return Failure{WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                   : "ended by signal " + std::to_string(WTERMSIG(status))};
}

void ChildWithInput::stop() {
  if (process_ >= 0) ::kill(static_cast<pid_t>(process_), SIGTERM);
}

}  // namespace platform
