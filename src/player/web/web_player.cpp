#include "player/web/web_player.h"

#include <cstdio>
#include <cstdlib>

WebPlayer web_player;

void web_fail(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::exit(1);
}
