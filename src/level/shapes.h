#pragma once

// The cells a shape covers, and painting a set of cells with a per-cell rule.

#include "celldiff.h"
#include "leveldata.h"
#include "paintrule.h"

#include <compare>
#include <functional>
#include <vector>

struct TCellPos {
    int Column = 0;
    int Row = 0;

    friend auto operator<=>(const TCellPos&, const TCellPos&) = default;
};

using TCellPositions = std::vector<TCellPos>;

struct TShapePaint {
    std::vector<TCellChange> Changes;
    // Whether the rule touched any cell, changing its value or not: the level then counts as changed.
    bool Touched = false;
};

// What a tool does to one cell: the painting rule with the tool and the palette choices bound.
using TCellRule = std::function<TPaintResult(const TLevelCell&)>;

bool IsOnField(TCellPos Cell);

// The column the mirror puts a column on: columns 9 and 10 swap, 0 and 19, and so on.
constexpr int MirrorColumn(int Column)
{
    return LevelColumns - 1 - Column;
}

// Every cell of the rectangle with corners A and B, whichever way it was dragged, once each. Corners off the
// field are pulled onto its edge first.
TCellPositions RectangleCells(TCellPos A, TCellPos B);

// Start and every cell 4-connected to it through cells holding exactly Start's brick and power-up, in
// breadth-first order. Empty when Start is off the field.
TCellPositions FloodCells(const TLevelCells& Cells, TCellPos Start);

// The cells followed by their mirror images, each cell once: a cell already in the set, or the mirror of one,
// is not listed again.
TCellPositions WithMirror(const TCellPositions& Cells);

// Applies Rule to each cell of Positions on the field, once per cell however often it is listed, and returns
// the cells whose value changed, in the order they were painted.
TShapePaint PaintCells(TLevelCells& Cells, const TCellPositions& Positions, const TCellRule& Rule);
