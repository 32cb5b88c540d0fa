// A child program fed through a pipe (the video encoder's ffmpeg): one
// file for POSIX (child_with_input_posix.cpp), one for Windows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/result.h"

namespace platform {

// A program started with its standard input from a pipe that the caller
// writes, with the stop requests at their defaults and (POSIX) in a process
// group of its own, so that Ctrl-C at a terminal reaches only the caller.
class ChildWithInput {
 public:
  ChildWithInput() = default;
  ChildWithInput(const ChildWithInput&) = delete;
  ChildWithInput& operator=(const ChildWithInput&) = delete;
  // Stops a child still running and waits for it.
  ~ChildWithInput();

  // Starts args[0], looked up in PATH; 0, or an errno value (ENOENT: no
  // such program).
  int start(const std::vector<std::string>& args);
  // All of `data` down the pipe; false with errno set.
  bool write(const void* data, std::size_t size);
  // Closes the pipe and waits: success for exit status 0, else a failure
  // telling the status or the signal.
  Result<void> wait();
  // Asks the child to end (terminate).
  void stop();

 private:
  long long process_ = -1;  // the process id, or the process handle
  int input_ = -1;
};

}  // namespace platform
