// What the operating system does its own way, behind one interface:
// platform_posix.cpp (Linux and the other POSIX systems, the web page) and
// platform_windows.cpp. Everything else is written once against this.
#pragma once

#include <filesystem>
#include <string>

namespace platform {

// Sets the environment variable `name` to `value` unless it is set already.
void set_default_env(const char* name, const char* value);

// The file of the running program; empty where it cannot be known.
std::filesystem::path program_path();

// The folder for temporary files: TMPDIR (else /tmp), Windows' TEMP folder.
std::string temporary_folder();

// The folder for a user's settings: XDG_CONFIG_HOME, else ~/.config (POSIX);
// the roaming application data folder, APPDATA (Windows). Empty where there
// is none.
std::string settings_folder();

// Creates a new file from `name`, whose `suffix_length` last characters are
// kept and the six before them ("XXXXXX") replaced to make the name unique;
// returns an open descriptor, or -1 with errno set.
int create_unique_file(std::string* name, int suffix_length);

// Gives the file `from` the name `to`, replacing a file of that name; false
// with errno set when it cannot.
bool rename_replacing(const char* from, const char* to);

// What a file name stands for where the system keeps names of its devices
// apart from the file system: on Windows NUL, CON, PRN, AUX, COM0 to COM9 and
// LPT0 to LPT9 (any case, in any folder, with any extension: "nul.raw") are
// devices, NUL the one that takes whatever is written into it. Elsewhere
// every name is the file system's.
enum class DeviceName { none, null_device, other_device };
DeviceName device_name(const std::string& path);

// Standard output takes the bytes as they are (no line-end translation).
void binary_stdout();

// The requests to stop a program: hang-up, interrupt, quit and terminate
// (POSIX); Ctrl-C, Ctrl-Break and the console closing (Windows, as SIGINT,
// SIGINT and SIGTERM). `handler` gets the signal's number, in a signal
// handler's context (async-signal-safe work only); with `broken_pipe` a
// closed pipe counts too (where there is such a signal). The handler runs
// with the other requests held.
using StopHandler = void (*)(int);
void on_stop_requests(StopHandler handler, bool broken_pipe);

// A reader going away shows up as a write error, not as a signal.
void ignore_broken_pipe();

// Interrupt and terminate wait while held (for a start-up that must not be
// cut in half); release lets them in, and on Windows lets the console
// closing in as terminate.
void hold_stop_requests();
void release_stop_requests();

// Ends the process as the stop request `signal` does without a handler (or
// with status 128 + signal where no signal ends a process).
[[noreturn]] void die_by_signal(int signal);

}  // namespace platform
