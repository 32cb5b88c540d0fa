// An output of a tool. A regular file (or a name that does not exist yet) is
// written under a temporary name beside its final one and renamed to it only
// when complete, so that nothing half-written ever carries the final name:
// not when the tool fails, is interrupted or is killed, nor for a reader that
// looks while it is being written. Until then the temporary file is on the
// list of temporary_files.h. A symbolic link is followed: the file it leads
// to gets the new content that way, in that file's folder, and the link
// stays. Anything else (a character or block device, a FIFO, an open
// descriptor's name such as /dev/fd/N or /proc/self/fd/N, or a link to one
// of these) is written into as it is, never replaced nor removed; "-" is
// standard output. A folder is refused at once. On Windows the null device
// (NUL, also "nul.raw") is written into and the other device names (CON,
// AUX, ...) are refused.
//
// A tool that writes only into a folder of its own opens its names as
// OutputName::own instead: whatever stands at the name (a link, a device, a
// FIFO) is replaced by the new file, so nothing outside that folder is
// written.
#pragma once

#include <cstdio>
#include <string>

#include "base/file_handle.h"
#include "base/result.h"

// How an output's bytes reach it.
enum class OutputKind {
  replaced,         // a file written under a temporary name and renamed
  straight,         // written into the named device, FIFO or descriptor
  standard_output,  // "-"
};

// What a name that already stands for something gets.
enum class OutputName {
  followed,  // a link leads to the file that gets the content; a device is written into
  own,       // the name itself becomes the file, whatever stood there
};

// Where the output `path` goes: its kind and, for `replaced`, the file that
// gets the content (the end of any chain of links, or `path` itself for an
// own name). Fails (a folder, a loop of links, a path that cannot be looked
// at, a device name of Windows other than NUL) with "PATH: reason".
Result<void> find_output_target(const std::string& path, OutputKind* kind, std::string* target,
                                OutputName name = OutputName::followed);

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Abandons the file unless it was committed.
  ~OutputFile();

  // Creates the temporary file (or opens the device, FIFO or standard
  // output), so that an unusable path fails at once, with "PATH: reason".
  Result<void> open(const std::string& path, OutputName name = OutputName::followed);

  // Only the name to write, not opened: for a writer of its own (another
  // process) that creates the file there. A temporary name keeps the final
  // name's extension at its end.
  Result<void> reserve(const std::string& path);

  std::FILE* stream() const { return stream_; }
  OutputKind kind() const { return kind_; }
  // As given; name() is how messages call it ("standard output" for "-").
  const std::string& path() const { return path_; }
  std::string name() const { return kind_ == OutputKind::standard_output ? "standard output" : path_; }
  // Where the writer of a reserved output writes: the temporary file, or the
  // path itself when written straight ("-" for standard output).
  const std::string& writing_path() const { return kind_ == OutputKind::replaced ? temporary_ : path_; }
  // Whether the writer can go back and rewrite what it wrote (a file).
  bool seekable() const { return kind_ == OutputKind::replaced; }

  // Flushes and closes the stream (if open) and renames the file to its
  // final name. On failure removes the temporary file and fails with
  // "PATH: reason".
  Result<void> commit();

  // Closes the stream and removes the temporary file (a straight output is
  // only closed). Safe to call more than once.
  void abandon();

 private:
  Result<void> start(const std::string& path, bool keep_extension, bool open_stream, OutputName name);

  FileHandle file_;               // the stream when this object opened it
  std::FILE* stream_ = nullptr;   // file_ or standard output
  OutputKind kind_ = OutputKind::replaced;
  std::string path_;
  std::string target_;     // the file renamed over, for `replaced`
  std::string temporary_;  // listed in temporary_files while not empty
  int ticket_ = -1;
};

// "NAME.part<pid>", or with `keep_extension` "STEM.part<pid>.EXT" (for
// writers that choose the format by the extension).
std::string temporary_name(const std::string& path, bool keep_extension);

// Whether the file name of `path` has an extension (".EXT" after its first
// character).
bool has_extension(const std::string& path);
