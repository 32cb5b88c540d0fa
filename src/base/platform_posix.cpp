#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "base/platform.h"

namespace platform {

namespace {

constexpr int stop_signals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

void set_stop_mask(int how) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigprocmask(how, &set, nullptr);
}

}  // namespace

void set_default_env(const char* name, const char* value) { ::setenv(name, value, 0); }

std::filesystem::path program_path() {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : path;
}

std::string temporary_folder() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

std::string settings_folder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') return config;
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? std::string(home) + "/.config" : std::string();
}

int create_unique_file(std::string* name, int suffix_length) {
  return ::mkstemps(name->data(), suffix_length);
}

bool rename_replacing(const char* from, const char* to) { return std::rename(from, to) == 0; }

DeviceName device_name(const std::string&) { return DeviceName::none; }

void binary_stdout() {}

void on_stop_requests(StopHandler handler, bool broken_pipe) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (const int signal : stop_signals) sigaddset(&action.sa_mask, signal);
  if (broken_pipe) sigaddset(&action.sa_mask, SIGPIPE);
  for (const int signal : stop_signals) sigaction(signal, &action, nullptr);
  if (broken_pipe) sigaction(SIGPIPE, &action, nullptr);
}

void ignore_broken_pipe() { ::signal(SIGPIPE, SIG_IGN); }

void hold_stop_requests() { set_stop_mask(SIG_BLOCK); }

void release_stop_requests() { set_stop_mask(SIG_UNBLOCK); }

void die_by_signal(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  ::raise(signal);
  ::_exit(128 + signal);  // not reached for a signal that ends the process
}

}  // namespace platform
