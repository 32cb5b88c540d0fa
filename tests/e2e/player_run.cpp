#include "player_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

PlayerRun run_player(const PlayerLaunch& launch) {
  // Stderr goes to a file beside (not inside) the data, so a chatty child
  // can never block on a full pipe.
  const std::string stderr_path = launch.working_dir + "/player.stderr";
  std::vector<std::string> argv_text = {SAVA_PLAYER_EXE};
  argv_text.insert(argv_text.end(), launch.args.begin(), launch.args.end());
  std::vector<char*> argv;
  for (auto& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Child: only async-signal-safe work plus setenv before exec.
    if (chdir(launch.working_dir.c_str()) != 0) _exit(120);
    const int err = open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null_fd = open("/dev/null", O_RDWR);
    if (err < 0 || null_fd < 0) _exit(121);
    dup2(null_fd, 0);
    dup2(null_fd, 1);
    dup2(err, 2);
    for (const auto& [name, value] : launch.env) setenv(name.c_str(), value.c_str(), 1);
    execv(argv[0], argv.data());
    _exit(122);
  }

  PlayerRun run;
  const auto start = std::chrono::steady_clock::now();
  bool signalled = launch.signal == 0;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    if (!signalled && elapsed >= launch.signal_after_ms && (!launch.signal_when || launch.signal_when())) {
      kill(pid, launch.signal);
      signalled = true;
    }
    if (elapsed >= launch.timeout_ms) {
      run.timed_out = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (WIFEXITED(status)) {
    run.exited = true;
    run.exit_status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    run.term_signal = WTERMSIG(status);
  }
  run.stderr_text = read_all(stderr_path);
  return run;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
