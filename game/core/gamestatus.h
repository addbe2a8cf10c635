#pragma once

#include <string>

#include "gamestate.h"

// The window's status line for a state: lives first, then what the player can do or has got.
std::string GameStatusLine(const TGameState& State);
