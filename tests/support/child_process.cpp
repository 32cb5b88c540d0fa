#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "scratch_dir.h"

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ChildRun run_child(const ChildLaunch& launch) {
  ScratchDir capture;
  const std::string out_path = capture.path() + "/stdout";
  const std::string err_path = capture.path() + "/stderr";
  // In a cross build the programs run under the build's emulator.
#ifdef SAVA_CHILD_EMULATOR
  std::vector<std::string> argv_text = {SAVA_CHILD_EMULATOR, launch.program};
#else
  std::vector<std::string> argv_text = {launch.program};
#endif
  argv_text.insert(argv_text.end(), launch.args.begin(), launch.args.end());
  std::vector<char*> argv;
  for (auto& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Child: only async-signal-safe work plus setenv before exec.
    if (chdir(launch.working_dir.c_str()) != 0) _exit(120);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(121);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (const auto& [name, value] : launch.env) setenv(name.c_str(), value.c_str(), 1);
    execvp(argv[0], argv.data());
    _exit(122);
  }

  ChildRun run;
  const auto start = std::chrono::steady_clock::now();
  bool signalled = launch.signal == 0;
  int status = 0;
  for (;;) {
    if (waitpid(pid, &status, WNOHANG) == pid) break;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    if (!signalled && (!launch.signal_when || launch.signal_when())) {
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
  run.out = slurp(out_path);
  run.err = slurp(err_path);
  return run;
}
