// The player's help on starting anywhere and on the keys, for its --help.
#pragma once

inline constexpr const char* preview_help =
    "  --from MS     start at show time MS (whole milliseconds): the scenes due by\n"
    "                then are set up at once and the music starts at that moment\n"
    "\n"
    "Keys while the show plays:\n"
    "  Space         pause / go on\n"
    "  Left, Right   1 second back / on\n"
    "  Page Up/Down  to the start of the previous / next scene\n"
    "  Home          back to the start\n"
    "  L             loop the scene on screen (L again: stop looping)\n"
    "  T             show time, cue number and scene name (not in captures)\n"
    "  Alt+Enter     window / full screen\n"
    "  Escape        end the show (when released)\n"
    "\n"
    "A start with --from and every jump set the show up as if it had been started\n"
    "at that moment: the random numbers some scenes draw begin their sequence\n"
    "again, and the black bars that only ever grow start from nothing, so the\n"
    "frames after a jump can differ a little from those of a run that played\n"
    "through. The first frame after a start or a jump is the one\n"
    "sava-capture --from draws for that time.\n";
