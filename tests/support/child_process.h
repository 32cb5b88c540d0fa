// Running one of the project's programs as a child process for a test: its
// own working directory, extra environment, standard input from /dev/null,
// standard output and error captured, an optional signal once a readiness
// condition holds, and a time limit against hangs.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct ChildLaunch {
  std::string program;
  std::vector<std::string> args;  // after argv[0]
  std::string working_dir;
  std::vector<std::pair<std::string, std::string>> env;  // set in the child
  int signal = 0;                     // sent once signal_when holds, if non-zero
  std::function<bool()> signal_when;  // polled: the child is ready (a file it writes has
                                      // grown, ...); unset: at once
  int timeout_ms = 120000;            // then SIGKILL
};

struct ChildRun {
  bool exited = false;   // ended by exit/return (else killed by a signal)
  int exit_status = -1;  // when exited
  int term_signal = 0;   // when killed
  bool timed_out = false;
  std::string out;       // standard output
  std::string err;       // standard error
  // The status a shell would report: the exit status, or 128 + the signal.
  int status() const { return exited ? exit_status : 128 + term_signal; }
};

// The captured output goes to files in a scratch directory of its own, never
// into the working directory, and never through a pipe a chatty child could
// fill.
ChildRun run_child(const ChildLaunch& launch);
