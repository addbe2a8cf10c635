#pragma once

// What one selection of a grid cell does to it, for the draw and erase tools and the two palette choices.

#include "leveldata.h"

#include <cstdint>

enum class TPaintTool { None, Draw, Erase };

struct TPaintResult {
    TLevelCell Cell;
    // Whether the rule touched the cell: the level counts as changed even when the values stay the same.
    bool Changed = false;

    friend bool operator==(const TPaintResult&, const TPaintResult&) = default;
};

// Erase clears the cell. Draw puts the chosen brick (0: none chosen) into it, keeping its power-up, and then
// the chosen power-up onto it if the cell now holds a brick. No tool, or Draw with nothing that applies,
// leaves the cell and Changed alone.
TPaintResult ApplyPaintRule(TPaintTool Tool, std::uint8_t SelectedBrick, std::uint8_t SelectedPowerUp,
                            TLevelCell Cell);
