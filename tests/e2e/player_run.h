// Running the player binary as a child process: its own working directory,
// extra environment, an optional signal after a delay, stderr captured.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct PlayerRun {
  bool exited = false;   // ended by exit/return (else killed by a signal)
  int exit_status = -1;  // when exited
  int term_signal = 0;   // when killed
  bool timed_out = false;
  std::string stderr_text;
};

struct PlayerLaunch {
  std::string working_dir;
  std::vector<std::string> args;                            // after argv[0]
  std::vector<std::pair<std::string, std::string>> env;     // set in the child
  int signal = 0;                                           // sent after signal_after_ms, if non-zero
  int signal_after_ms = 0;
  std::function<bool()> signal_when;                        // if set, also wait for this (polled)
  int timeout_ms = 60000;                                   // then SIGKILL
};

PlayerRun run_player(const PlayerLaunch& launch);

// The lines of a text, without their newlines.
std::vector<std::string> lines_of(const std::string& text);
