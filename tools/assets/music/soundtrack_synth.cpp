#include "soundtrack_synth.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "music_sequencer.h"
#include "output_file.h"

Result<void> write_soundtrack(const std::string& path) {
  // Written under a temporary name and renamed when complete: a player
  // started meanwhile, or a run that is interrupted, finds the previous
  // soundtrack whole. Created first, so that a bad path fails at once,
  // before seconds of work.
  OutputFile file;
  const Result<void> opened = file.open(path, OutputName::own);
  if (!opened) return Failure{"cannot create " + opened.error()};

  const std::vector<int16_t> pcm = music::render_soundtrack();
  std::vector<uint8_t> mp3;
  if (Result<void> encoded = mp3_encode(pcm, soundtrack_mp3, &mp3); !encoded) return encoded;

  if (std::fwrite(mp3.data(), 1, mp3.size(), file.stream()) != mp3.size())
    return Failure{"cannot write " + path + ": " + std::strerror(errno)};
  const Result<void> committed = file.commit();
  if (!committed) return Failure{"cannot write " + committed.error()};
  return {};
}
