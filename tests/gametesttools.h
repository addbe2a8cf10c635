#pragma once

// What the game tests share: the phase by name in failure messages.

#include "gamestate.h"

#include <QtTest>

inline char* toString(TGamePhase Phase)
{
    static const char* const Names[] = {"Ready", "Playing", "Won", "Lost"};
    return qstrdup(Names[static_cast<int>(Phase)]);
}
