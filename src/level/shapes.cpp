#include "shapes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

// One flag per cell of the field, for "seen already" while walking a set of cells.
class TCellMarks {
public:
    // Marks Cell and tells whether it was unmarked before.
    bool mark(TCellPos Cell)
    {
        bool& Flag = Flags[static_cast<std::size_t>(Cell.Column * LevelRows + Cell.Row)];
        return !std::exchange(Flag, true);
    }

private:
    std::array<bool, LevelColumns * LevelRows> Flags{};
};

TCellPos OntoField(TCellPos Cell)
{
    return {std::clamp(Cell.Column, 0, LevelColumns - 1), std::clamp(Cell.Row, 0, LevelRows - 1)};
}

} // namespace

bool IsOnField(TCellPos Cell)
{
    return Cell.Column >= 0 && Cell.Column < LevelColumns && Cell.Row >= 0 && Cell.Row < LevelRows;
}

TCellPositions RectangleCells(TCellPos A, TCellPos B)
{
    A = OntoField(A);
    B = OntoField(B);
    const auto [Left, Right] = std::minmax(A.Column, B.Column);
    const auto [Top, Bottom] = std::minmax(A.Row, B.Row);
    TCellPositions Result;
    Result.reserve(static_cast<std::size_t>((Right - Left + 1) * (Bottom - Top + 1)));
    for (int Row = Top; Row <= Bottom; ++Row)
        for (int Column = Left; Column <= Right; ++Column)
            Result.push_back({Column, Row});
    return Result;
}

TCellPositions FloodCells(const TLevelCells& Cells, TCellPos Start)
{
    TCellPositions Result;
    if (!IsOnField(Start))
        return Result;
    const TLevelCell Match = Cells[Start.Column][Start.Row];
    TCellMarks Seen;
    Seen.mark(Start);
    Result.push_back(Start);
    // Result doubles as the queue: everything before Next has had its neighbours looked at.
    for (std::size_t Next = 0; Next < Result.size(); ++Next) {
        const TCellPos At = Result[Next];
        for (const TCellPos Neighbour : {TCellPos{At.Column - 1, At.Row}, TCellPos{At.Column + 1, At.Row},
                                         TCellPos{At.Column, At.Row - 1}, TCellPos{At.Column, At.Row + 1}}) {
            if (IsOnField(Neighbour) && Cells[Neighbour.Column][Neighbour.Row] == Match && Seen.mark(Neighbour))
                Result.push_back(Neighbour);
        }
    }
    return Result;
}

TCellPositions WithMirror(const TCellPositions& Cells)
{
    TCellPositions Result;
    Result.reserve(Cells.size() * 2);
    TCellMarks Seen;
    for (const TCellPos Cell : Cells)
        if (IsOnField(Cell) && Seen.mark(Cell))
            Result.push_back(Cell);
    const std::size_t Originals = Result.size();
    for (std::size_t I = 0; I < Originals; ++I) {
        const TCellPos Mirrored{MirrorColumn(Result[I].Column), Result[I].Row};
        if (Seen.mark(Mirrored))
            Result.push_back(Mirrored);
    }
    return Result;
}

TShapePaint PaintCells(TLevelCells& Cells, const TCellPositions& Positions, const TCellRule& Rule)
{
    TShapePaint Paint;
    TCellMarks Painted;
    for (const TCellPos At : Positions) {
        if (!IsOnField(At) || !Painted.mark(At))
            continue;
        TLevelCell& Cell = Cells[At.Column][At.Row];
        const TLevelCell Before = Cell;
        const TPaintResult Result = Rule(Before);
        Cell = Result.Cell;
        Paint.Touched = Paint.Touched || Result.Changed;
        if (!(Cell == Before))
            Paint.Changes.push_back(
                {static_cast<std::uint8_t>(At.Column), static_cast<std::uint8_t>(At.Row), Before, Cell});
    }
    return Paint;
}
