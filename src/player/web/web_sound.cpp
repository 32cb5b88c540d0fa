// The soundtrack in the web player: opened from the index in the site's
// list, fed its bytes as they arrive in ranges, primed once its first frames
// are here, and asked where to fetch next and how far ahead its sound is.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "music/sound_index.h"
#include "music/soundtrack.h"
#include "player/web/web_player.h"
#include "show/cue_table.h"
#include "show/startup.h"

namespace {

// The chunk the web SDL hands its callback: exactly the requested 2048
// sample frames of 16-bit stereo (it reports no size of its own).
constexpr int audio_chunk = 2048 * 2 * 2;

}  // namespace

// The site's list names the soundtrack with its index, which the page has
// written to data/sound-index: the soundtrack is opened from it, to be
// primed at show time `from_ms` (a link into the show; 0 for the start) as
// soon as its first frames are here.
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_sound_listed(int from_ms) {
  if (web_player.music || web_player.capture || from_ms < 0) return;
  std::ifstream file("data/sound-index");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::optional<SoundIndex> index = sound_index_parse(text);
  if (!index) web_fail("The soundtrack's index in the show's list is damaged");
  web_player.startup->start_at(from_ms);
  web_player.sound_from_ms = from_ms;
  web_player.music = std::make_unique<Soundtrack>();
  const Result<void> opened =
      web_player.music->open_stream(*index, audio_chunk, web_player.startup->files().soundtrack_path());
  if (!opened) web_fail(opened.error());
}

// Room for `length` bytes of the soundtrack, which the page writes there
// before it calls sava_web_sound_bytes.
extern "C" EMSCRIPTEN_KEEPALIVE uint8_t* sava_web_sound_buffer(int length) {
  web_player.sound_bytes.resize(static_cast<size_t>(std::max(length, 0)));
  return web_player.sound_bytes.data();
}

// Bytes [offset, offset + length) of the soundtrack arrived (in the buffer).
extern "C" EMSCRIPTEN_KEEPALIVE void sava_web_sound_bytes(int offset, int length) {
  if (!web_player.music || length < 0 || static_cast<size_t>(length) > web_player.sound_bytes.size()) return;
  Soundtrack& music = *web_player.music;
  music.add_bytes(offset, web_player.sound_bytes.data(), length);
  if (!web_player.sound_primed && music.present_until(0) > audio_chunk / 4) {
    // As the desktop opens it: primed at the start, then moved to the
    // sample heard at the start time.
    Result<void> primed = music.prime_stream();
    const int32_t from_ms = web_player.sound_from_ms;
    if (primed.ok() && from_ms != 0) primed = music.play_from(sample_at_show_time(from_ms), from_ms);
    if (!primed) web_fail(primed.error());
    web_player.sound_primed = true;
  }
  tell_session_ready();
}

// The byte of the soundtrack to fetch next for playing on from show time
// `ms`; its size when everything from there on is here.
extern "C" EMSCRIPTEN_KEEPALIVE int sava_web_sound_next_byte(int ms) {
  if (!web_player.music) return 0;
  return static_cast<int>(web_player.music->next_missing_byte(sample_at_show_time(std::max(ms, 0))));
}

// The soundtrack's bytes once all of them are here (to be kept for offline
// visits), else null.
extern "C" EMSCRIPTEN_KEEPALIVE const uint8_t* sava_web_sound_data() {
  if (!web_player.music || web_player.music->present_until(0) != std::numeric_limits<int64_t>::max()) return nullptr;
  return web_player.music->file_bytes();
}

// How much of the show from `ms` on has its sound here, in ms (at most the
// rest of the show); 0 before the soundtrack is primed.
extern "C" EMSCRIPTEN_KEEPALIVE int sava_web_sound_ahead_ms(int ms) {
  if (!web_player.music || !web_player.sound_primed || ms < 0) return 0;
  const int64_t end_ms = cue_table[cue_count - 1].time_ms;
  const int64_t until = web_player.music->present_until(sample_at_show_time(ms));
  if (until == std::numeric_limits<int64_t>::max()) return static_cast<int>(std::max<int64_t>(end_ms - ms, 0));
  return static_cast<int>(std::clamp<int64_t>(until * 10 / 441 - ms, 0, std::max<int64_t>(end_ms - ms, 0)));
}
