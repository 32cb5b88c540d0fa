#include "soundtrack.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "music_encoder.h"
#include "music_sequencer.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

bool fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
  return false;
}

}  // namespace

bool write_soundtrack(const std::string& path, std::string* error) {
  // Open the output first: a bad path fails at once, before seconds of work.
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return fail(error, "cannot create " + path + ": " + std::strerror(errno));
  auto abandon = [&](const std::string& what) {
    file.reset();
    std::remove(path.c_str());
    return fail(error, what);
  };

  const std::vector<int16_t> pcm = music::render_soundtrack();
  std::vector<unsigned char> mp3;
  std::string reason;
  if (!music::encode_mp3(pcm, &mp3, &reason)) return abandon(reason);

  if (std::fwrite(mp3.data(), 1, mp3.size(), file.get()) != mp3.size())
    return abandon("cannot write " + path + ": " + std::strerror(errno));
  if (std::fclose(file.release()) != 0) {
    const std::string what = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(path.c_str());
    return fail(error, what);
  }
  return true;
}
