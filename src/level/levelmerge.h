#pragma once

// Levels compared and merged cell by cell, as the editor reads them: what a version control system needs to
// show a change to a level and to join two people's changes without a text conflict on a whole row.

#include "leveldata.h"

#include <optional>
#include <string>
#include <vector>

struct TCellChange {
    int Column = 0;
    int Row = 0;
    TLevelCell Old;
    TLevelCell New;

    friend bool operator==(const TCellChange&, const TCellChange&) = default;
};

struct TLevelDiff {
    std::vector<TCellChange> Cells; // row by row, left to right
    bool TrailerChanged = false;

    bool Empty() const { return Cells.empty() && !TrailerChanged; }
};

// The cells and trailer in which New differs from Old; flags and file names do not count.
TLevelDiff DiffLevels(const TLevelData& Old, const TLevelData& New);

struct TCellConflict {
    int Column = 0;
    int Row = 0;
    TLevelCell Base;
    TLevelCell Ours;
    TLevelCell Theirs;

    friend bool operator==(const TCellConflict&, const TCellConflict&) = default;
};

struct TTrailerConflict {
    std::string Base;
    std::string Ours;
    std::string Theirs;

    friend bool operator==(const TTrailerConflict&, const TTrailerConflict&) = default;
};

struct TLevelMerge {
    TLevelData Level; // loaded and unchanged, with no file name
    std::vector<TCellConflict> Conflicts; // row by row, left to right
    std::optional<TTrailerConflict> TrailerConflict;

    bool Clean() const { return Conflicts.empty() && !TrailerConflict; }
};

// A three-way merge in which each cell, and the trailer, is one value: a value changed on one side takes
// that side, one changed alike on both sides is no conflict, and one changed differently on both sides is
// a conflict that keeps ours, so the result is always a whole level.
TLevelMerge MergeLevels(const TLevelData& Base, const TLevelData& Ours, const TLevelData& Theirs);

// A cell in the catalogue's names: "empty", "Brick 1, 1 Hit", "Brick Fixed, PowerUp - Wall", or for a
// power-up the editor would never paint alone "no brick, PowerUp - Wall". A code no kind has is named by
// its number ("brick 11").
std::string CellText(const TLevelCell& Cell);
