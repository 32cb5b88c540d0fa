#include "player_run.h"

#include <sstream>

#include "support/child_process.h"

PlayerRun run_player(const PlayerLaunch& launch) {
  ChildLaunch child;
  child.program = SAVA_PLAYER_EXE;
  child.args = launch.args;
  child.working_dir = launch.working_dir;
  child.env = launch.env;
  child.signal = launch.signal;
  child.signal_after_ms = launch.signal_after_ms;
  child.signal_when = launch.signal_when;
  child.timeout_ms = launch.timeout_ms;
  const ChildRun done = run_child(child);
  PlayerRun run;
  run.exited = done.exited;
  run.exit_status = done.exit_status;
  run.term_signal = done.term_signal;
  run.timed_out = done.timed_out;
  run.stderr_text = done.err;
  return run;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
