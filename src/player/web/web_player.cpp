#include "player/web/web_player.h"

#include <cstdio>
#include <cstdlib>

#include "player/web/scene_readiness.h"
#include "player/web/sound_readiness.h"
#include "show/cue_table.h"

WebPlayer web_player;

void web_fail(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::exit(1);
}

// What the session may play: the scenes whose pictures are here, where
// their sound is here too.
void tell_session_ready() {
  if (!web_player.session || !web_player.music) return;
  web_player.session->set_ready(
      common_stretches(ready_stretches(web_player.ready_scenes),
                       sound_stretches(*web_player.music, cue_table[cue_count - 1].time_ms)),
      web_ready_ahead_ms);
}
