#pragma once

// Blocks of cells: a rectangle taken out of a level, its text form for the clipboard, and the edits that
// move, flip and shift cells within the field. Each edit is made in the cells it is given and returns what
// it changed as one diff, so that it is one step of the history; an empty diff means nothing changed.

#include "celldiff.h"
#include "leveldata.h"
#include "shapes.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// A rectangle of cells in field coordinates; empty when either side is 0 or less.
struct TCellRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    bool Empty() const { return Width <= 0 || Height <= 0; }
    bool Contains(TCellPos Cell) const
    {
        return Cell.Column >= Left && Cell.Column < Left + Width && Cell.Row >= Top && Cell.Row < Top + Height;
    }

    friend bool operator==(const TCellRect&, const TCellRect&) = default;
};

constexpr TCellRect FieldRect{0, 0, LevelColumns, LevelRows};

// The rectangle with corners A and B, whichever way it was dragged; corners off the field are pulled onto
// its edge first, so it is never empty.
TCellRect RectBetween(TCellPos A, TCellPos B);

// The part of Rect on the field; empty when there is none.
TCellRect ClipToField(TCellRect Rect);

// Where a selection is after MoveCells moved it: shifted and clipped to the field.
TCellRect MovedRect(TCellRect Rect, int DCol, int DRow);

// 1 to 20 columns by 1 to 10 rows of cells, as a level holds them.
class TBlock {
public:
    // Empty cells. Throws std::invalid_argument for a size no field holds.
    TBlock(int Width, int Height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TLevelCell& At(int Column, int Row) { return FCells[Index(Column, Row)]; }
    const TLevelCell& At(int Column, int Row) const { return FCells[Index(Column, Row)]; }

    friend bool operator==(const TBlock&, const TBlock&) = default;

private:
    static std::size_t Index(int Column, int Row) { return static_cast<std::size_t>(Row * LevelColumns + Column); }

    int FWidth;
    int FHeight;
    // Laid out as the whole field, row by row; cells outside the block stay empty, so equality holds.
    std::array<TLevelCell, LevelColumns * LevelRows> FCells{};
};

// The block in the level file's characters: one line per row, two characters per cell, each line ending in
// CR LF. A whole field gives exactly the rows FormatLevel writes.
std::string BlockText(const TBlock& Block);

struct TBlockParse {
    std::optional<TBlock> Block;
    std::string Reason; // when there is no block: why, short enough for the status line
};

// The block a text stands for: 1 to 10 lines of one even length up to 40, every pair a brick and a power-up
// character of the level file. Lines end in CR LF or LF alike, and the last one may have no end at all, so
// text from any editor or chat reads the same. Columns in reasons count the text's bytes from 1.
TBlockParse ParseBlockText(std::string_view Text);

// The cells of Rect (clipped to the field). Throws std::invalid_argument when none of it is on the field.
TBlock CopyBlock(const TLevelCells& Cells, TCellRect Rect);

// Writes every cell of Block, empty ones included, with its top left corner at At; what falls off the field
// is dropped. With Mirror each cell is also written at column 19 - c, except where the block itself lands.
TCellDiff PasteBlock(TLevelCells& Cells, const TBlock& Block, TCellPos At, bool Mirror);

// Empties the cells of Rect.
TCellDiff ClearCells(TLevelCells& Cells, TCellRect Rect);

// Moves the cells of Rect by (DCol, DRow): the place they leave becomes empty unless they land on it, and
// what is moved off the field is lost. With Mirror the mirror image of the place left is emptied as well and
// the cells are written mirrored as PasteBlock does, so a symmetric level stays symmetric.
TCellDiff MoveCells(TLevelCells& Cells, TCellRect Rect, int DCol, int DRow, bool Mirror);

// Turns the cells of Rect around its middle column (left to right) or its middle row (top to bottom).
TCellDiff FlipHorizontally(TLevelCells& Cells, TCellRect Rect);
TCellDiff FlipVertically(TLevelCells& Cells, TCellRect Rect);

// Moves the cells of Rect by (DCol, DRow) within Rect, those pushed over one edge coming back in at the
// opposite one, so nothing is lost.
TCellDiff ShiftCells(TLevelCells& Cells, TCellRect Rect, int DCol, int DRow);
