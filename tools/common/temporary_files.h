// Temporary files of a tool (and folders it made for its outputs, removed
// when they are left empty), removed whatever way the tool ends: by its own
// code, at exit, or on a termination signal (hang-up, interrupt, quit,
// terminate, and a closed pipe where the tool asks for it). The list is kept
// in fixed storage so that a signal handler can walk it.
#pragma once

#include <string>

namespace temporary_files {

// Adds `path` to the list before the file is created; returns a ticket for
// forget(), or -1 if the list is full (the file is then only removed by the
// tool's own code).
int add(const std::string& path);

// Takes a path off the list (it was renamed or removed). Safe with -1.
void forget(int ticket);

// Removes every file on the list, then every folder on it that is empty.
// Async-signal-safe.
void remove_all();

// From now on the files on the list are removed at exit, and on each of the
// termination signals, after which the signal ends the process as it would
// have without the handler. With `on_broken_pipe` SIGPIPE counts too;
// without, it is left as it is. Signals the tool handles itself afterwards
// keep its own handler (it can call remove_all).
void remove_on_termination(bool on_broken_pipe);

// Removes the listed files and ends the process by `signal` (default
// action). For a tool's own handler of a signal that should end it now.
[[noreturn]] void remove_all_and_die(int signal);

}  // namespace temporary_files
