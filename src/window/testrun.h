#pragma once

#include "leveldata.h"

#include <string>

// Writes Level to the game's scratch file and starts the game on it, without waiting for it; a game that
// cannot be started is reported in a plain box. Owner is the window the start belongs to (Windows only).
// Throws EInOutError when the scratch file cannot be written.
void StartTestRun(const std::string& GameDir, const TLevelData& Level, void* Owner);
