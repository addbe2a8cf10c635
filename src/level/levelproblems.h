#pragma once

// What makes a level impossible to finish, or a power-up impossible to get, found from the field alone.
//
// A ball reaches a cell when the cell is joined, side by side (never corner to corner), through cells without
// a fixed brick, to the open space below row 9. The space above row 0 is one open area joined to every row-0
// cell without a fixed brick: a ball that gets through one gap there can come down through any other.

#include "leveldata.h"
#include "shapes.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class TLevelProblemKind : std::uint8_t {
    UnreachableBricks, // breakable bricks no ball can reach
    NothingToBreak, // not one breakable brick: level-wide, no cells
    PowerUpOnFixedBrick, // the fixed brick never breaks, so it never drops its power-up
    PowerUpOnEmptyCell, // no brick to drop it
    PowerUpOnUnreachableBrick,
};

struct TLevelProblem {
    TLevelProblemKind Kind = TLevelProblemKind::UnreachableBricks;
    TCellPositions Cells; // in reading order, row by row; empty for a level-wide problem
    std::string Text; // for people, with the count: "2 bricks can't be reached"

    friend bool operator==(const TLevelProblem&, const TLevelProblem&) = default;
};

// Every problem of the level, at most one per kind, in the order of the kinds; none for a playable level.
std::vector<TLevelProblem> LevelProblems(const TLevelData& Level);

// One problem cell's text, e.g. "brick can't be reached"; for a level-wide problem, the problem's text.
std::string ProblemCellText(TLevelProblemKind Kind);

// A short name that stays the same for scripts, e.g. "unreachable" or "nothing-to-break".
const char* ProblemName(TLevelProblemKind Kind);

// Which cells a ball can reach, Reachable[column][row]; a fixed brick's cell is never reachable.
using TReachableCells = std::array<std::array<bool, LevelRows>, LevelColumns>;
TReachableCells ReachableCells(const TLevelCells& Cells);
