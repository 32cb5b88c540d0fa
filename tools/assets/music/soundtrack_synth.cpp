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
  std::string reason;
  if (!file.open(path, &reason, OutputName::own)) return Failure{"cannot create " + reason};

  const std::vector<int16_t> pcm = music::render_soundtrack();
  std::vector<uint8_t> mp3;
  if (!mp3_encode(pcm, soundtrack_mp3, &mp3, &reason)) return Failure{reason};

  if (std::fwrite(mp3.data(), 1, mp3.size(), file.stream()) != mp3.size())
    return Failure{"cannot write " + path + ": " + std::strerror(errno)};
  if (!file.commit(&reason)) return Failure{"cannot write " + reason};
  return {};
}
