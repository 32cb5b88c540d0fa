// Which input does what: one pure function shared by both edges.
#pragma once

#include <cstdint>

#include "player/keys.h"
#include "show/transport.h"

// The input rule. Escape acts when released (pressing or holding it does
// nothing), whatever modifiers are held. The other keys act when pressed:
// Alt+Enter (either Enter key) with Alt and no Ctrl or Meta, the rest with
// no Ctrl, Alt or Meta held (Shift, Caps Lock and Num Lock do not matter).
// Everything else is ignored.
PlayerAction player_action(uint32_t type, int32_t key, uint32_t modifiers);

// Input that ends the show: the Escape key released or the window's close
// request (the player_action rule's quit).
bool event_ends_show(uint32_t type, int32_t key);
