// The loaders read files by path; a fuzz input is handed to them as an
// in-memory file reached through /proc/self/fd, rewritten for every input.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

class FuzzFile {
 public:
  FuzzFile() {
    fd_ = memfd_create("sava-fuzz", 0);
    if (fd_ < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }

  // Replaces the file's contents with data[0 .. size).
  const char* write(const uint8_t* data, size_t size) {
    if (ftruncate(fd_, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
      const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<size_t>(n);
    }
    return path_.c_str();
  }

 private:
  int fd_ = -1;
  std::string path_;
};
