// What the operating system does its own way, behind one interface:
// platform_posix.cpp (Linux and the other POSIX systems, the web page) and
// platform_windows.cpp. Everything else is written once against this.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "base/file_handle.h"
#include "base/result.h"

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
// returns it open for writing (binary), or null with errno set.
FileHandle create_unique_file(std::string* name, int suffix_length);

// Creates the file `name` for writing (binary) only where nothing stands at
// that name, so that nothing is ever written through a link put there; null
// with errno set when it cannot (EEXIST when something is there).
FileHandle create_new_file(const std::string& name);

// Opens `path` for reading (binary) when it is a regular file. Anything else
// (a folder, a device, a named pipe) is refused without waiting for it: a
// named pipe would wait for a writer. Refused with "not a regular file" or
// the system's reason.
Result<FileHandle> open_regular_file(const std::string& path);

// Whether the file `path` may be written into; false with errno set.
bool is_writable(const std::string& path);

// Removes the file, or the empty folder, `path`; false when it cannot.
// Async-signal-safe: for the files a program removes as it is ended.
bool remove_file(const char* path);
bool remove_empty_folder(const char* path);

// This process's number, and whether the process numbered `id` (of this
// machine) may still be running: true unless it is known to be gone.
long process_id();
bool process_may_run(long id);

// Whether standard error goes to a terminal (a person watching it).
bool stderr_is_terminal();

// What stands at a path, a link not followed. Windows has no links here: a
// name there is the file it names.
enum class PathKind { nothing, folder, link, regular_file, other };

// What stands at `path`; false with errno set when it cannot be told
// (nothing being there is told, not a failure).
bool path_kind(const std::string& path, PathKind* kind);

// The path the link `path` holds, as written in it; refused with the
// system's reason.
Result<std::string> read_link(const std::string& path);

// Zero-filled memory taken at once and, where the system offers it, starting
// on a huge page boundary and backed by huge pages (a few dozen page faults
// for tens of MiB instead of thousands); given back with the handle. data()
// is null when it cannot be had.
class ZeroedMemory {
 public:
  explicit ZeroedMemory(std::size_t bytes);
  ZeroedMemory(const ZeroedMemory&) = delete;
  ZeroedMemory& operator=(const ZeroedMemory&) = delete;
  ~ZeroedMemory();

  void* data() const { return data_; }

 private:
  void* data_ = nullptr;
  void* mapping_ = nullptr;  // what was mapped, when data_ lies in a mapping
  std::size_t mapped_bytes_ = 0;
};

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
