#include "levelproblems.h"

#include "elementkinds.h"

#include <array>
#include <cstddef>
#include <utility>

namespace {

// Codes beyond the kinds are no brick to the game, so a ball passes them as it passes an empty cell.
bool Passable(const TLevelCell& Cell)
{
    return Cell.Brick != FixedBrickCode;
}

std::string Counted(std::size_t Count, const char* One, const char* Many)
{
    return std::to_string(Count) + " " + (Count == 1 ? One : Many);
}

std::string ProblemText(TLevelProblemKind Kind, std::size_t Count)
{
    switch (Kind) {
    case TLevelProblemKind::UnreachableBricks:
        return Counted(Count, "brick can't be reached", "bricks can't be reached");
    case TLevelProblemKind::NothingToBreak:
        break;
    case TLevelProblemKind::PowerUpOnFixedBrick:
        return Counted(Count, "power-up on a fixed brick is never released",
                       "power-ups on fixed bricks are never released");
    case TLevelProblemKind::PowerUpOnEmptyCell:
        return Counted(Count, "power-up on an empty cell is never released",
                       "power-ups on empty cells are never released");
    case TLevelProblemKind::PowerUpOnUnreachableBrick:
        return Counted(Count, "power-up in a brick that can't be reached is never released",
                       "power-ups in bricks that can't be reached are never released");
    }
    return ProblemCellText(Kind);
}

} // namespace

TReachableCells ReachableCells(const TLevelCells& Cells)
{
    TReachableCells Reached{};
    std::array<TCellPos, LevelColumns * LevelRows> Queue;
    std::size_t Tail = 0;
    auto Reach = [&](int Column, int Row) {
        if (Column < 0 || Column >= LevelColumns || Row < 0 || Row >= LevelRows || Reached[Column][Row] ||
            !Passable(Cells[Column][Row]))
            return;
        Reached[Column][Row] = true;
        Queue[Tail++] = {Column, Row};
    };
    for (int Column = 0; Column < LevelColumns; ++Column)
        Reach(Column, LevelRows - 1);
    bool AboveReached = false;
    for (std::size_t Head = 0; Head < Tail; ++Head) {
        const auto [Column, Row] = Queue[Head];
        if (Row == 0 && !AboveReached) {
            AboveReached = true;
            for (int Other = 0; Other < LevelColumns; ++Other)
                Reach(Other, 0);
        }
        Reach(Column - 1, Row);
        Reach(Column + 1, Row);
        Reach(Column, Row - 1);
        Reach(Column, Row + 1);
    }
    return Reached;
}

std::vector<TLevelProblem> LevelProblems(const TLevelData& Level)
{
    const TReachableCells Reached = ReachableCells(Level.Cells);
    std::array<TCellPositions, 5> Cells;
    auto Add = [&Cells](TLevelProblemKind Kind, int Column, int Row) {
        Cells[static_cast<std::size_t>(Kind)].push_back({Column, Row});
    };
    bool AnyBreakable = false;
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column) {
            const TLevelCell& Cell = Level.Cells[Column][Row];
            const bool Breakable = IsBreakableBrick(Cell.Brick);
            AnyBreakable = AnyBreakable || Breakable;
            if (Breakable && !Reached[Column][Row])
                Add(TLevelProblemKind::UnreachableBricks, Column, Row);
            if (Cell.PowerUp == 0 || !PowerUpKindOf(Cell.PowerUp))
                continue;
            if (Cell.Brick == FixedBrickCode)
                Add(TLevelProblemKind::PowerUpOnFixedBrick, Column, Row);
            else if (!Breakable)
                Add(TLevelProblemKind::PowerUpOnEmptyCell, Column, Row);
            else if (!Reached[Column][Row])
                Add(TLevelProblemKind::PowerUpOnUnreachableBrick, Column, Row);
        }

    std::vector<TLevelProblem> Problems;
    for (std::size_t Index = 0; Index < Cells.size(); ++Index) {
        const auto Kind = static_cast<TLevelProblemKind>(Index);
        if (Kind == TLevelProblemKind::NothingToBreak ? AnyBreakable : Cells[Index].empty())
            continue;
        std::string Text = ProblemText(Kind, Cells[Index].size());
        Problems.push_back({Kind, std::move(Cells[Index]), std::move(Text)});
    }
    return Problems;
}

std::string ProblemCellText(TLevelProblemKind Kind)
{
    switch (Kind) {
    case TLevelProblemKind::UnreachableBricks:
        return "brick can't be reached";
    case TLevelProblemKind::NothingToBreak:
        return "nothing to break: the level has no breakable brick";
    case TLevelProblemKind::PowerUpOnFixedBrick:
        return "power-up on a fixed brick is never released";
    case TLevelProblemKind::PowerUpOnEmptyCell:
        return "power-up on an empty cell is never released";
    case TLevelProblemKind::PowerUpOnUnreachableBrick:
        return "power-up in a brick that can't be reached is never released";
    }
    return {};
}

const char* ProblemName(TLevelProblemKind Kind)
{
    switch (Kind) {
    case TLevelProblemKind::UnreachableBricks:
        return "unreachable";
    case TLevelProblemKind::NothingToBreak:
        return "nothing-to-break";
    case TLevelProblemKind::PowerUpOnFixedBrick:
        return "powerup-on-fixed-brick";
    case TLevelProblemKind::PowerUpOnEmptyCell:
        return "powerup-on-empty-cell";
    case TLevelProblemKind::PowerUpOnUnreachableBrick:
        return "powerup-unreachable";
    }
    return "";
}
