#include "temporary_files.h"

#include <limits.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/platform.h"

namespace temporary_files {

namespace {

// A tool has a handful of files open at once: one per picture worker, or one
// per output of a capture.
constexpr int slot_count = 64;

enum : int { slot_free = 0, slot_filling = 1, slot_listed = 2 };

struct Slot {
  std::atomic<int> state{slot_free};
  char path[PATH_MAX];
};

Slot slots[slot_count];

extern "C" void on_termination(int signal) { remove_all_and_die(signal); }

void remove_at_exit() { remove_all(); }

}  // namespace

int add(const std::string& path) {
  if (path.empty() || path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < slot_count; ++i) {
    int expected = slot_free;
    if (!slots[i].state.compare_exchange_strong(expected, slot_filling)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].state.store(slot_listed);
    return i;
  }
  return -1;
}

void forget(int ticket) {
  if (ticket >= 0 && ticket < slot_count) slots[ticket].state.store(slot_free);
}

void remove_all() {
  const int saved_errno = errno;
  // The files first, then the folders, inner ones (listed later) first.
  for (Slot& slot : slots) {
    if (slot.state.load() == slot_listed) platform::remove_file(slot.path);
  }
  for (int i = slot_count - 1; i >= 0; --i) {
    if (slots[i].state.load() == slot_listed) platform::remove_empty_folder(slots[i].path);
  }
  errno = saved_errno;
}

void remove_all_and_die(int signal) {
  remove_all();
  platform::die_by_signal(signal);
}

void remove_on_termination(bool on_broken_pipe) {
  static bool at_exit = false;
  if (!at_exit) {
    std::atexit(remove_at_exit);
    at_exit = true;
  }
  platform::on_stop_requests(on_termination, on_broken_pipe);
}

}  // namespace temporary_files
